#include "PagesFixture.h"

#include "HelperDb.h"

#include "gui/pages/DupListModel.h"
#include "gui/services/Seams.h"
#include "misc/CxDateTime.h"
#include "misc/CxList.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace pagetest {

TempHome::TempHome() : m_dataFolder(testutil::useHome(m_dir.path())) {}

namespace {


template <class Record> bool InsertAll(helper::Database& db, helper::Kind kind, const std::vector<Record>& records)
{
    helper::Statement insert(db);
    if (!insert.Prepare(helper::InsertRecordSql(kind)))
        return false;
    for (const Record& record : records) {
        const int bound = helper::BindRecord(insert.get(), kind, &record);
        if (kind == helper::Kind::Tasks)
            sqlite3_bind_text(insert.get(), bound + 1, helper::kSourceTodo, -1, SQLITE_STATIC);
        if (insert.Step() != SQLITE_DONE)
            return false;
        insert.Reset();
    }
    return true;
}

} // namespace

double Ole(int year, int month, int day, int hour, int minute, int second)
{
    SystemTime time;
    time.wYear = static_cast<std::uint16_t>(year);
    time.wMonth = static_cast<std::uint16_t>(month);
    time.wDay = static_cast<std::uint16_t>(day);
    time.wHour = static_cast<std::uint16_t>(hour);
    time.wMinute = static_cast<std::uint16_t>(minute);
    time.wSecond = static_cast<std::uint16_t>(second);
    double date = 0;
    EXPECT_TRUE(SystemTimeToVariantTime(time, &date));
    return date;
}

ContactRecord Contact(const char* id, const char* fullName, const char* email, const char* company)
{
    auto record = Blank<ContactRecord>();
    Set(record.RecordID, id);
    Set(record.FullName, fullName);
    Set(record.BusinessEmail, email);
    Set(record.Company, company);
    return record;
}

CalendarRecord Event(const char* id, const char* regarding, double start, double end, bool timeless,
                     const char* location)
{
    auto record = Blank<CalendarRecord>();
    Set(record.RecordID, id);
    Set(record.Regarding, regarding);
    Set(record.Location, location);
    record.StartTime = start;
    record.EndTime = end;
    record.IsTimeless = timeless;
    return record;
}

TaskRecord Task(const char* id, const char* regarding, std::int32_t priority, double dueDate)
{
    auto record = Blank<TaskRecord>();
    Set(record.RecordID, id);
    Set(record.Regarding, regarding);
    record.Priority = priority;
    record.DueDate = dueDate;
    return record;
}

NoteRecord Note(const char* id, const char* text)
{
    auto record = Blank<NoteRecord>();
    Set(record.RecordID, id);
    Set(record.NoteText, text);
    return record;
}

std::string WriteDatabase(const std::string& folder, const TestData& data)
{
    std::filesystem::create_directories(folder);
    const std::string database = folder + "/Test.sqlite";
    const std::string padPath = folder + "/Test.pad";
    helper::Database db;
    const bool written =
        db.Open(database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) && db.Exec("BEGIN") && helper::CreateSchema(db) &&
        db.Exec("INSERT INTO users (name, password) VALUES ('Demo', 'demo')") &&
        InsertAll(db, helper::Kind::Contacts, data.contacts) && InsertAll(db, helper::Kind::Calendar, data.events) &&
        InsertAll(db, helper::Kind::Tasks, data.tasks) && InsertAll(db, helper::Kind::Notes, data.notes) &&
        db.Exec("COMMIT") && helper::WritePadFile(padPath, "Test.sqlite");
    EXPECT_TRUE(written) << db.Error();
    return padPath;
}

std::string DatabaseOf(const std::string& padPath)
{
    std::string database;
    std::string error;
    EXPECT_TRUE(helper::ResolvePad(padPath, database, error)) << error;
    return database;
}

TableRows ReadAllRows(const std::string& padPath)
{
    TableRows rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(DatabaseOf(padPath).c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << "cannot open the database";
        sqlite3_close(db);
        return rows;
    }
    for (const char* table : {"contacts", "calendar", "tasks", "notes"}) {
        sqlite3_stmt* select = nullptr;
        const std::string sql = std::string("SELECT * FROM \"") + table + "\" ORDER BY rowid";
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &select, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db);
            continue;
        }
        auto& tableRows = rows[table];
        while (sqlite3_step(select) == SQLITE_ROW) {
            std::string id;
            std::string text;
            for (int c = 0; c < sqlite3_column_count(select); ++c) {
                const char* name = sqlite3_column_name(select, c);
                const auto* value = reinterpret_cast<const char*>(sqlite3_column_text(select, c));
                const std::string valueText = value ? value : "<null>";
                if (std::strcmp(name, "RecordID") == 0)
                    id = valueText;
                text += std::string(name) + "=" + valueText + "|";
            }
            tableRows[id] = text;
        }
        sqlite3_finalize(select);
    }
    sqlite3_close(db);
    return rows;
}

void PagesTest::SetUp()
{
    seams::ClearRecorded();
    seams::SetDialogHandler(nullptr);
}

void PagesTest::TearDown()
{
    if (main)
        main->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    CleanupSession::SetBeforeSubmitHook(nullptr);
    seams::SetDialogHandler(nullptr);
}

TfmMain* PagesTest::OpenMain()
{
    if (!main) {
        main = new TfmMain;
        main->show();
    }
    return main;
}

bool PagesTest::LoadDatabase(const std::string& padPath, int kinds)
{
    OpenMain();
    pad = padPath;
    Child<QLineEdit>(main, "edtPadName")->setText(QString::fromStdString(pad));
    Child<QLineEdit>(main, "edtACTUserName")->setText(QString::fromLatin1(kUser));
    Child<QLineEdit>(main, "edtACTPassword")->setText(QString::fromLatin1(kPassword));
    const char* boxes[] = {"cbAddr", "cbDate", "cbTask", "cbNote"};
    for (int i = 0; i < 4; ++i)
        Child<QCheckBox>(main, boxes[i])->setChecked(kinds & (1 << i));
    Click("btnNext");
    const bool loaded = main && main->GetCurrentPage() == 1;
    // A load that fails where it should not says why in the test's output.
    if (!loaded)
        for (const seams::ShownMessage& message : seams::ShownMessages())
            std::fprintf(stderr, "shown: %s: %s\n", qPrintable(message.caption), qPrintable(message.text));
    return loaded;
}

bool PagesTest::Load(const TestData& data, int kinds)
{
    return LoadDatabase(WriteDatabase(home.file("db"), data), kinds);
}

void PagesTest::RunCleaning()
{
    Click("btnNext");
    ASSERT_EQ(main->GetCurrentPage(), 2);
    EXPECT_TRUE(Clean()->IsRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!Clean()->IsRunning(), 30000);
}

void PagesTest::Click(const char* buttonName, QWidget* scope)
{
    auto* button = Child<QPushButton>(scope ? scope : main.data(), buttonName);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

void PagesTest::ClickBox(const char* name)
{
    auto* box = Child<QCheckBox>(Data(), name);
    ASSERT_NE(box, nullptr);
    // The box has to be on the tab shown for a click to reach it.
    auto* tabs = Child<QTabWidget>(Data(), "pData");
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->isAncestorOf(box))
            tabs->setCurrentIndex(i);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void PagesTest::SetTick(TfmACTData::DataKind kind, int row, bool ticked)
{
    DupListModel* model = Model(kind);
    ASSERT_LT(row, model->rowCount());
    ASSERT_TRUE(model->setData(model->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
}

QTreeView* PagesTest::List(TfmACTData::DataKind kind) const
{
    const char* names[] = {"lvAddr", "lvDate", "lvTask", "lvNote"};
    return Child<QTreeView>(Data(), names[KindIndex(kind)]);
}

QString PagesTest::TabText(TfmACTData::DataKind kind) const
{
    return Child<QTabWidget>(Data(), "pData")->tabText(KindIndex(kind));
}

QString PagesTest::LogText() const
{
    return Child<QPlainTextEdit>(Clean(), "memLog")->toPlainText();
}

std::vector<std::string> PagesTest::RowIds(TfmACTData::DataKind kind, bool tickedOnly) const
{
    std::vector<std::string> ids;
    const DupListModel* model = Model(kind);
    for (int row = 0; row < model->rowCount(); ++row)
        if (!tickedOnly || model->IsChecked(row))
            ids.emplace_back(testutil::recordIdOf(kind, model->RecordAt(row)));
    return ids;
}

std::vector<std::string> PagesTest::ListedIds(TfmACTData::DataKind kind) const
{
    CxList* lists[] = {main->GetAddrDupList(), main->GetDateDupList(), main->GetTaskDupList(), main->GetNoteDupList()};
    std::vector<std::string> ids;
    if (CxList* list = lists[KindIndex(kind)])
        for (void* record = list->GetFirst(); record; record = list->GetNext())
            ids.emplace_back(testutil::recordIdOf(kind, record));
    return ids;
}

} // namespace pagetest
