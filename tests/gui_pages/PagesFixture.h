#pragma once

#include "TestUtil.h"

#include "ACT/ACTRecords.h"
#include "gui/pages/Actclean.h"
#include "gui/pages/Actdata.h"
#include "gui/wizard/Main.h"

#include <QPointer>
#include <QString>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

class DupListModel;
class QTreeView;

namespace pagetest {

// Points HOME and the XDG folders at a fresh temporary folder for one test.
class TempHome
{
public:
    TempHome();
    const std::string& path() const { return m_dir.path(); }
    std::string file(const std::string& name) const { return m_dir.file(name); }
    // The program's data folder under this home, ending in the separator.
    const std::string& dataFolder() const { return m_dataFolder; }

private:
    testutil::TempDir m_dir;
    std::string m_dataFolder;
};

constexpr const char* kUser = "Demo";
constexpr const char* kPassword = "demo";

// Gives a record's text field a copy of `text` that lives as long as the test.
inline void Set(const char*& field, const char* text)
{
    field = testutil::keep(text);
}

// A record with every field zero or empty.
template <class Record> Record Blank()
{
    return Record{};
}

// The OLE Automation date of a local calendar moment.
double Ole(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Records for a stand-in CRM database, written with the helpers' own schema.
ContactRecord Contact(const char* id, const char* fullName, const char* email, const char* company = "");
CalendarRecord Event(const char* id, const char* regarding, double start, double end, bool timeless = false,
                     const char* location = "");
TaskRecord Task(const char* id, const char* regarding, std::int32_t priority, double dueDate);
NoteRecord Note(const char* id, const char* text);

struct TestData
{
    std::vector<ContactRecord> contacts;
    std::vector<CalendarRecord> events;
    std::vector<TaskRecord> tasks;
    std::vector<NoteRecord> notes;
};

// Creates the database and its PAD file in `folder`; returns the PAD path.
std::string WriteDatabase(const std::string& folder, const TestData& data);

// Every row of the four kind tables as text, by table and then by Record ID.
using TableRows = std::map<std::string, std::map<std::string, std::string>>;
TableRows ReadAllRows(const std::string& padPath);
std::string DatabaseOf(const std::string& padPath);

// The named control, failing the test when it is missing.
template <class T> T* Child(QObject* parent, const char* name)
{
    T* child = parent ? parent->findChild<T*>(QString::fromLatin1(name)) : nullptr;
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// One test with a fresh home and the wizard's main window on a database of its own.
class PagesTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    TfmMain* OpenMain();
    // Types the login, ticks the kinds (AppFlag bits) and presses Next. True on the review page.
    bool LoadDatabase(const std::string& pad, int kinds);
    bool Load(const TestData& data, int kinds);
    // Next on the review page, then waits for the cleaning run to end.
    void RunCleaning();
    // A click on a button of the main window, or with `scope` of that widget (names repeat across pages).
    void Click(const char* buttonName, QWidget* scope = nullptr);
    // A user's click on a check box of the review page.
    void ClickBox(const char* name);
    // Ticks or unticks a row as the user's click on its check box does.
    void SetTick(TfmACTData::DataKind kind, int row, bool ticked);

    TfmACTData* Data() const { return main->GetDataPage(); }
    TfmACTClean* Clean() const { return main->GetCleanPage(); }
    DupListModel* Model(TfmACTData::DataKind kind) const { return Data()->GetListModel(kind); }
    QTreeView* List(TfmACTData::DataKind kind) const;
    QString TabText(TfmACTData::DataKind kind) const;
    QString LogText() const;
    // The Record IDs of the rows, in row order; with `tickedOnly` only those ticked.
    std::vector<std::string> RowIds(TfmACTData::DataKind kind, bool tickedOnly = false) const;
    // The Record IDs in a kind's deletion list, in list order.
    std::vector<std::string> ListedIds(TfmACTData::DataKind kind) const;

    TempHome home;
    std::string pad;
    QPointer<TfmMain> main;
};

} // namespace pagetest
