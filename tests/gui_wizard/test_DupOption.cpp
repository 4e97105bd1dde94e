#include "WizardFixture.h"

#include "gui/services/Dupoption.h"

#include "core/Apputil.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstring>
#include <map>
#include <string>

using namespace wizardtest;

namespace {

struct BoxRow
{
    const char* tab;
    const char* name;
    const char* caption;
    int column;
    bool AppSettingsData::*flag; // null: no setting behind the box
};

const BoxRow kBoxes[] = {
    {"tAddr", "cbAddrDisplayName", "Display Name", 1, &AppSettingsData::AddrDisplayName},
    {"tAddr", "cbAddrEmail", "Email", 1, &AppSettingsData::AddrEmail},
    {"tAddr", "cbAddrPhone", "Phone", 1, &AppSettingsData::AddrPhone},
    {"tAddr", "cbAddrAddr", "Address", 1, &AppSettingsData::AddrAddress},
    {"tAddr", "cbAddrCompany", "Company Name", 2, &AppSettingsData::AddrCompanyName},
    {"tAddr", "cbAddrTitle", "Job Title", 2, &AppSettingsData::AddrTitle},
    {"tAddr", "cbAddrIM", "Instant Messaging", 2, &AppSettingsData::AddrIM},
    {"tAddr", "cbAddrWebsite", "Web Site", 2, &AppSettingsData::AddrWebSite},
    {"tAddr", "cbAddrDate", "Date", 3, nullptr},
    {"tAddr", "cbAddrNote", "Notes", 3, &AppSettingsData::AddrNote},
    {"tDate", "cbDateSubject", "Subject", 1, &AppSettingsData::DateSubject},
    {"tDate", "cbDateStartTime", "Start Time", 1, &AppSettingsData::DateStartTime},
    {"tDate", "cbDateEndTime", "End Time", 1, &AppSettingsData::DateEndTime},
    {"tDate", "cbDateAllDayEvent", "All Day Event", 1, &AppSettingsData::DateAllDayEvent},
    {"tDate", "cbDateLocation", "Location", 2, &AppSettingsData::DateLocation},
    {"tDate", "cbDateNote", "Notes", 2, &AppSettingsData::DateNote},
    {"tTask", "cbTaskSubject", "Subject", 1, &AppSettingsData::TaskSubject},
    {"tTask", "cbTaskImportance", "Priority", 1, &AppSettingsData::TaskImportance},
    {"tTask", "cbTaskDueDate", "Due Date", 1, &AppSettingsData::TaskDueDate},
    {"tTask", "cbTaskNote", "Notes", 1, &AppSettingsData::TaskNote},
};

// "Also count as equal", in keyboard order, with the key of each mnemonic.
struct MatchRow
{
    const char* name;
    const char* caption;
    Qt::Key key;
    bool AppSettingsData::*flag;
};

const MatchRow kMatchBoxes[] = {
    {"cbMatchBlanks", "Extra &blanks (all kinds)", Qt::Key_B, &AppSettingsData::MatchBlanks},
    {"cbMatchPunct", "&Punctuation in names", Qt::Key_P, &AppSettingsData::MatchPunct},
    {"cbMatchPhone", "Phone &digits only", Qt::Key_D, &AppSettingsData::MatchPhone},
    {"cbMatchEmail", "&E-mail in any case", Qt::Key_E, &AppSettingsData::MatchEmail},
};

// The flags no box shows.
bool AppSettingsData::*const kUnboxedFlags[] = {&AppSettingsData::AddrFirstName, &AppSettingsData::AddrMiddleName,
                                                &AppSettingsData::AddrLastName, &AppSettingsData::AddrDepartment,
                                                &AppSettingsData::DateRecur};

class DupOptionTest : public WizardTest
{
protected:
    void SetUp() override
    {
        WizardTest::SetUp();
        std::memset(&AppSettings, 0, sizeof(AppSettings));
        dialog = new TfmDupOption(nullptr);
        dialog->show();
    }
    void TearDown() override
    {
        delete dialog.data();
        WizardTest::TearDown();
    }
    QCheckBox* Box(const char* name) { return Child<QCheckBox>(dialog, name); }

    QPointer<TfmDupOption> dialog;
};

TEST_F(DupOptionTest, WindowTabsAndBoxes)
{
    EXPECT_EQ(dialog->windowTitle().toStdString(), "Set Velloran Options");
    EXPECT_EQ(dialog->size(), QSize(534, 498));
    EXPECT_EQ(Child<QPushButton>(dialog, "btnOK")->text().toStdString(), "&OK");
    EXPECT_EQ(Child<QPushButton>(dialog, "btnCancel")->text().toStdString(), "&Cancel");

    auto* tabs = Child<QTabWidget>(dialog, "pMain");
    ASSERT_EQ(tabs->count(), 3);
    const char* names[] = {"tAddr", "tDate", "tTask"};
    const char* captions[] = {"Contacts", "Calendar", "Task"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tabs->widget(i)->objectName().toStdString(), names[i]);
        EXPECT_EQ(tabs->tabText(i).toStdString(), captions[i]);
        // Every tab can be opened, so the fixed rules can be read.
        EXPECT_TRUE(tabs->isTabEnabled(i));
    }
    EXPECT_EQ(tabs->currentIndex(), 0);

    // Per tab, boxes of one column share their left edge and stand one under the other; later columns
    // stand further right.
    std::map<std::string, std::map<int, QPoint>> lastInColumn;
    for (const BoxRow& row : kBoxes) {
        SCOPED_TRACE(row.name);
        tabs->setCurrentWidget(Child<QWidget>(dialog, row.tab));
        QCheckBox* box = Box(row.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parentWidget()->objectName().toStdString(), row.tab);
        EXPECT_EQ(box->text().toStdString(), row.caption);
        EXPECT_EQ(box->isEnabled(), std::string(row.tab) == "tAddr") << "only the contact rules can change";
        EXPECT_TRUE(box->isVisible());
        const QPoint at = box->pos();
        auto& columns = lastInColumn[row.tab];
        if (columns.count(row.column)) {
            EXPECT_EQ(at.x(), columns[row.column].x());
            EXPECT_GT(at.y(), columns[row.column].y());
        }
        if (columns.count(row.column - 1)) {
            EXPECT_GT(at.x(), columns[row.column - 1].x());
        }
        columns[row.column] = at;
    }
}

TEST_F(DupOptionTest, EachBoxShowsItsOwnFlag)
{
    for (const BoxRow& row : kBoxes) {
        if (!row.flag)
            continue;
        SCOPED_TRACE(row.name);
        std::memset(&AppSettings, 0, sizeof(AppSettings));
        AppSettings.*row.flag = true;
        dialog->Exchange(false);
        for (const BoxRow& other : kBoxes)
            EXPECT_EQ(Box(other.name)->isChecked(), other.name == row.name) << other.name;
    }
}

TEST_F(DupOptionTest, OkStoresEveryBoxAndLeavesOtherFlagsAlone)
{
    for (auto flag : kUnboxedFlags)
        AppSettings.*flag = true;
    AppSettings.CaseSensitive = true;
    dialog->Exchange(false);
    // Every box ticked, the fixed ones included, which write back what they were given.
    for (const BoxRow& row : kBoxes)
        Box(row.name)->setChecked(row.flag == nullptr || std::string(row.tab) == "tAddr");
    QTest::mouseClick(Child<QPushButton>(dialog, "btnOK"), Qt::LeftButton);

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    for (const BoxRow& row : kBoxes)
        if (row.flag) {
            EXPECT_EQ(AppSettings.*row.flag, std::string(row.tab) == "tAddr") << row.name;
        }
    for (auto flag : kUnboxedFlags)
        EXPECT_TRUE(AppSettings.*flag);
    EXPECT_TRUE(AppSettings.CaseSensitive);

    // The unbacked "Date" box starts unticked at every opening.
    TfmDupOption again(nullptr);
    again.Exchange(false);
    EXPECT_FALSE(Child<QCheckBox>(&again, "cbAddrDate")->isChecked());
}

TEST_F(DupOptionTest, OkWithEveryContactBoxClearedStoresZeros)
{
    for (const BoxRow& row : kBoxes)
        if (row.flag)
            AppSettings.*row.flag = true;
    dialog->Exchange(false);
    for (const BoxRow& row : kBoxes)
        if (std::string(row.tab) == "tAddr")
            Box(row.name)->setChecked(false);
    dialog->btnOKClick();
    for (const BoxRow& row : kBoxes)
        if (row.flag) {
            EXPECT_EQ(AppSettings.*row.flag, std::string(row.tab) != "tAddr") << row.name;
        }
}

TEST_F(DupOptionTest, CancelChangesNothing)
{
    AppSettings.AddrEmail = true;
    AppSettings.DateSubject = true;
    dialog->Exchange(false);
    for (const BoxRow& row : kBoxes)
        Box(row.name)->setChecked(!Box(row.name)->isChecked());
    QTest::mouseClick(Child<QPushButton>(dialog, "btnCancel"), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    for (const BoxRow& row : kBoxes)
        if (row.flag) {
            EXPECT_EQ(AppSettings.*row.flag,
                      row.flag == &AppSettingsData::AddrEmail || row.flag == &AppSettingsData::DateSubject)
                << row.name;
        }
}

// The options sit in their own group on the contacts tab, below the field boxes; each mnemonic is its
// own in the whole dialog, and the blanks option says that it reaches every kind.
TEST_F(DupOptionTest, MatchOptionsFormTheirGroupOnTheContactsTab)
{
    auto* group = Child<QGroupBox>(dialog, "gbMatch");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title().toStdString(), "Also count as equal");
    EXPECT_EQ(group->parentWidget()->objectName().toStdString(), "tAddr");
    EXPECT_GT(group->y(), Box("cbAddrAddr")->y());
    EXPECT_GT(group->y(), Box("cbAddrNote")->y());

    std::map<QChar, std::string> mnemonics;
    const auto addMnemonic = [&](const QString& text, const std::string& owner) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= text.size())
            return;
        const QChar key = text.at(at + 1).toUpper();
        EXPECT_EQ(mnemonics.count(key), 0u) << owner << " shares its mnemonic with " << mnemonics[key];
        mnemonics[key] = owner;
    };
    for (auto* button : dialog->findChildren<QAbstractButton*>())
        addMnemonic(button->text(), button->objectName().toStdString());
    for (auto* box : dialog->findChildren<QGroupBox*>())
        addMnemonic(box->title(), box->objectName().toStdString());

    for (const MatchRow& row : kMatchBoxes) {
        SCOPED_TRACE(row.name);
        QCheckBox* box = Box(row.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->parentWidget(), group);
        EXPECT_EQ(box->text().toStdString(), row.caption);
        EXPECT_TRUE(box->isEnabled());
        EXPECT_FALSE(box->toolTip().isEmpty());
    }
    const QString blanks = Box("cbMatchBlanks")->text() + Box("cbMatchBlanks")->toolTip();
    for (const char* kind : {"contacts", "calendar", "tasks", "notes"})
        EXPECT_TRUE(blanks.contains(QLatin1String(kind))) << kind;
}

// Each option box shows its own flag, its mnemonic switches it from the keyboard, and OK stores it.
TEST_F(DupOptionTest, MatchOptionsTravelThroughTheirBoxes)
{
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog));
    for (const MatchRow& row : kMatchBoxes) {
        SCOPED_TRACE(row.name);
        std::memset(&AppSettings, 0, sizeof(AppSettings));
        AppSettings.*row.flag = true;
        dialog->Exchange(false);
        for (const MatchRow& other : kMatchBoxes)
            EXPECT_EQ(Box(other.name)->isChecked(), other.name == row.name) << other.name;

        // Its own key unticks it, every other key ticks its box (a mnemonic clicks a moment later).
        for (const MatchRow& other : kMatchBoxes) {
            QTest::keyClick(dialog, other.key, Qt::AltModifier);
            EXPECT_TRUE(QTest::qWaitFor([&] { return Box(other.name)->isChecked() == (other.name != row.name); }))
                << other.name;
        }
        dialog->Exchange(true);
        for (const MatchRow& other : kMatchBoxes)
            EXPECT_EQ(AppSettings.*other.flag, other.name != row.name) << other.name;
    }
    // The field rules are not touched by the options.
    EXPECT_FALSE(AppSettings.AddrPhone);
    EXPECT_FALSE(AppSettings.AddrEmail);

    std::memset(&AppSettings, 0, sizeof(AppSettings));
    dialog->Exchange(false);
    QTest::keyClick(dialog, Qt::Key_D, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Box("cbMatchPhone")->isChecked(); }));
    QTest::keyClick(dialog, Qt::Key_O, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->result() == QDialog::Accepted; }));
    EXPECT_TRUE(AppSettings.MatchPhone);
    EXPECT_FALSE(AppSettings.MatchBlanks || AppSettings.MatchPunct || AppSettings.MatchEmail);
}

} // namespace
