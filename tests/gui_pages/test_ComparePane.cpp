#include "PagesFixture.h"

#include "gui/pages/ComparePane.h"

#include "ACT/ACTRecords.h"
#include "core/Apputil.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using pagetest::Blank;
using pagetest::Ole;
using pagetest::Set;

// One row of the pane as the user sees it.
struct Shown
{
    std::string rule;
    std::string label;
    std::string record;
    std::string diff;
    std::string kept;
    bool bold = false;
    bool tinted = false;
};

std::string Text(const QAbstractItemModel* model, int row, int column, int role = Qt::DisplayRole)
{
    return model->data(model->index(row, column), role).toString().toStdString();
}


// Every field of the record holds something: each text its own field name, so that every row the
// viewer can show has a value.
template <class Record> Record Filled()
{
    auto record = Blank<Record>();
    const FieldTable& table = FieldsOf<Record>();
    auto* bytes = reinterpret_cast<unsigned char*>(&record);
    for (std::size_t i = 0; i < table.count; ++i) {
        const FieldDesc& field = table.fields[i];
        if (IsHeaderWord(field))
            continue;
        void* at = bytes + field.offset;
        switch (field.type) {
        case FieldType::Text:
            SetRecordText(&record, field, field.name);
            break;
        case FieldType::Int: {
            const std::int32_t one = 1;
            std::memcpy(at, &one, sizeof one);
            break;
        }
        case FieldType::Bool:
            *static_cast<bool*>(at) = true;
            break;
        case FieldType::Date: {
            const double date = Ole(2021, 6, 15, 10, 30, 0);
            std::memcpy(at, &date, sizeof date);
            break;
        }
        }
    }
    return record;
}

bool AppSettingsData::*const kRuleAndOptionFlags[] = {
    &AppSettingsData::CaseSensitive,  &AppSettingsData::AddrDisplayName, &AppSettingsData::AddrFirstName,
    &AppSettingsData::AddrMiddleName, &AppSettingsData::AddrLastName,    &AppSettingsData::AddrCompanyName,
    &AppSettingsData::AddrDepartment, &AppSettingsData::AddrTitle,       &AppSettingsData::AddrEmail,
    &AppSettingsData::AddrPhone,      &AppSettingsData::AddrAddress,     &AppSettingsData::AddrIM,
    &AppSettingsData::AddrWebSite,    &AppSettingsData::DateSubject,     &AppSettingsData::DateLocation,
    &AppSettingsData::DateStartTime,  &AppSettingsData::DateEndTime,     &AppSettingsData::DateAllDayEvent,
    &AppSettingsData::DateRecur,      &AppSettingsData::DateNote,        &AppSettingsData::TaskSubject,
    &AppSettingsData::TaskImportance, &AppSettingsData::TaskDueDate,     &AppSettingsData::TaskNote,
    &AppSettingsData::MatchBlanks,    &AppSettingsData::MatchPunct,      &AppSettingsData::MatchPhone,
    &AppSettingsData::MatchEmail,
};

class ComparePaneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The rules as a fresh installation has them, passed to the pane at each call.
        settings.CaseSensitive = false;
        settings.AddrDisplayName = settings.AddrFirstName = settings.AddrMiddleName = true;
        settings.AddrLastName = settings.AddrEmail = true;
        settings.AddrCompanyName = settings.AddrDepartment = settings.AddrTitle = false;
        settings.AddrPhone = settings.AddrAddress = settings.AddrIM = settings.AddrWebSite = false;
        settings.AddrNote = false;
        settings.DateSubject = settings.DateStartTime = settings.DateEndTime = true;
        settings.DateAllDayEvent = true;
        settings.DateLocation = settings.DateRecur = settings.DateNote = false;
        settings.TaskSubject = settings.TaskImportance = settings.TaskDueDate = true;
        settings.TaskNote = false;
        settings.MatchBlanks = settings.MatchPunct = settings.MatchPhone = settings.MatchEmail = false;
        // The program's settings say the opposite throughout: a pane that read them would show other marks.
        m_saved = AppSettings;
        AppSettings = settings;
        for (bool AppSettingsData::*flag : kRuleAndOptionFlags)
            AppSettings.*flag = !(settings.*flag);
        list = pane.findChild<QTreeView*>(QStringLiteral("lvCompare"));
        ASSERT_NE(list, nullptr);
    }

    void TearDown() override { AppSettings = m_saved; }

    std::vector<Shown> Rows() const
    {
        std::vector<Shown> rows;
        const QAbstractItemModel* model = list->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            Shown shown;
            shown.rule = Text(model, row, ComparePane::kRuleColumn);
            shown.label = Text(model, row, ComparePane::kFieldColumn);
            shown.record = Text(model, row, ComparePane::kRecordColumn);
            shown.diff = Text(model, row, ComparePane::kDiffColumn);
            shown.kept = Text(model, row, ComparePane::kKeptColumn);
            const QVariant font = model->data(model->index(row, ComparePane::kRecordColumn), Qt::FontRole);
            shown.bold = font.isValid() && font.value<QFont>().bold();
            shown.tinted = model->data(model->index(row, ComparePane::kKeptColumn), Qt::BackgroundRole).isValid();
            rows.push_back(shown);
        }
        return rows;
    }

    std::vector<std::string> Labels() const
    {
        std::vector<std::string> labels;
        for (const Shown& row : Rows())
            labels.push_back(row.label);
        return labels;
    }

    // The row of a field; a default row with an empty label when the field is not listed.
    Shown Row(const char* label) const
    {
        for (const Shown& row : Rows()) {
            if (row.label == label)
                return row;
        }
        return Shown{};
    }

    int RowIndex(const char* label) const
    {
        const std::vector<std::string> labels = Labels();
        for (std::size_t i = 0; i < labels.size(); ++i) {
            if (labels[i] == label)
                return static_cast<int>(i);
        }
        return -1;
    }

    bool ShowsRecordThatStays() const
    {
        return !list->isColumnHidden(ComparePane::kKeptColumn) && !list->isColumnHidden(ComparePane::kDiffColumn);
    }

    AppSettingsData settings{};
    ComparePane pane;
    QTreeView* list = nullptr;

private:
    AppSettingsData m_saved{};
};

TEST_F(ComparePaneTest, ContactShowsTheViewersLabelsAndTextsAndListsOnlyFieldsWithValuesOrRules)
{
    auto contact = Blank<ContactRecord>();
    Set(contact.FullName, "Ann Lee");
    Set(contact.Company, "Acme");
    Set(contact.BusinessPhone, "555-0100");
    Set(contact.BusinessPhoneExtension, "12");
    Set(contact.PagerExtension, "9"); // an extension without its number: the viewer drops it, the pane not
    Set(contact.BusinessEmail, "ann@acme.example");
    Set(contact.BusinessAddress1, "1 Main St");
    Set(contact.BusinessAddress3, "Suite 5");
    Set(contact.UserDefined[2], "blue");
    Set(contact.LastResults, "Called\r\nleft a message");
    contact.Birthday = Ole(1980, 5, 17);
    contact.CreateDate = Ole(2020, 3, 4, 9, 8, 7);

    pane.ShowRecords(0, &contact, nullptr, settings);

    // Rule fields (names, e-mails) are listed though empty; other empty fields are not.
    const std::vector<std::vector<std::string>> expected = {
        {"\u25CF", "Name", "Ann Lee"},    {"\u25CF", "First Name", ""},
        {"\u25CF", "Middle Name", ""},    {"\u25CF", "Last Name", ""},
        {"", "Company", "Acme"},          {"", "Work Phone", "555-0100 * 12"},
        {"", "Pager", "(no number) * 9"}, {"\u25CF", "Work Email", "ann@acme.example"},
        {"\u25CF", "Personal Email", ""}, {"", "Work Address", "1 Main St Suite 5"},
        {"", "Custom Field 3", "blue"},   {"", "Last Results", "Called left a message"},
        {"", "Birthday", "05/17/1980"},   {"", "Create Time", "03/04/2020 09:08:07"},
        {"", "Is Private", "No"},         {"", "Is User", "No"},
        {"", "Is Imported", "No"},        {"", "Secondary Is Private", "No"},
    };
    const std::vector<Shown> rows = Rows();
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(expected[i][1]);
        EXPECT_EQ(rows[i].rule, expected[i][0]);
        EXPECT_EQ(rows[i].label, expected[i][1]);
        EXPECT_EQ(rows[i].record, expected[i][2]);
        EXPECT_EQ(rows[i].diff, "");
        EXPECT_FALSE(rows[i].bold);
    }
    EXPECT_FALSE(ShowsRecordThatStays());

    // Drawn on one line; the whole text, with its line breaks, in the tooltip.
    const QAbstractItemModel* model = list->model();
    EXPECT_EQ(Text(model, RowIndex("Last Results"), ComparePane::kRecordColumn, Qt::ToolTipRole),
              "Called\nleft a message");
    EXPECT_EQ(Text(model, RowIndex("Work Address"), ComparePane::kRecordColumn, Qt::ToolTipRole), "1 Main St\nSuite 5");
    EXPECT_EQ(Text(model, 0, ComparePane::kRuleColumn, Qt::ToolTipRole), "Compared by the duplicate rules");
    EXPECT_EQ(model->headerData(ComparePane::kFieldColumn, Qt::Horizontal).toString(), QStringLiteral("Field"));
    EXPECT_EQ(model->headerData(ComparePane::kRecordColumn, Qt::Horizontal).toString(), QStringLiteral("This record"));
    EXPECT_EQ(model->headerData(ComparePane::kKeptColumn, Qt::Horizontal).toString(),
              QStringLiteral("Record that stays"));
}

TEST_F(ComparePaneTest, DifferingFieldsAreMarkedBoldAndTintedAndEqualOnesArePlain)
{
    auto copy = Blank<ContactRecord>();
    Set(copy.FullName, "ann lee");
    Set(copy.BusinessEmail, "ann@acme.example");
    Set(copy.Company, "Acme");
    Set(copy.Title, "Buyer");
    auto kept = copy;
    Set(kept.FullName, "Ann Lee");
    Set(kept.Company, "Acme Ltd");
    Set(kept.HomePhone, "555-0199");

    pane.ShowRecords(0, &copy, &kept, settings);
    EXPECT_TRUE(ShowsRecordThatStays());

    const Shown company = Row("Company");
    EXPECT_EQ(company.record, "Acme");
    EXPECT_EQ(company.kept, "Acme Ltd");
    EXPECT_EQ(company.diff, "\u2260");
    EXPECT_TRUE(company.bold);
    EXPECT_TRUE(company.tinted);

    // A value only the record that stays holds differs too.
    const Shown home = Row("Home Phone");
    EXPECT_EQ(home.record, "");
    EXPECT_EQ(home.kept, "555-0199");
    EXPECT_EQ(home.diff, "\u2260");
    EXPECT_TRUE(home.bold);

    for (const char* equal : {"Job Title", "Work Email"}) {
        SCOPED_TRACE(equal);
        const Shown row = Row(equal);
        EXPECT_EQ(row.label, equal);
        EXPECT_EQ(row.record, row.kept);
        EXPECT_EQ(row.diff, "");
        EXPECT_FALSE(row.bold);
        EXPECT_FALSE(row.tinted);
    }

    // The rules took the two names for equal, ignoring case; the pane still shows the difference and
    // says why it did not count.
    const Shown name = Row("Name");
    EXPECT_EQ(name.rule, "\u25CF");
    EXPECT_EQ(name.diff, "\u2260");
    EXPECT_TRUE(name.bold);
    const QString tip = list->model()
                            ->data(list->model()->index(RowIndex("Name"), ComparePane::kDiffColumn), Qt::ToolTipRole)
                            .toString();
    EXPECT_TRUE(tip.contains(QStringLiteral("letter case"))) << tip.toStdString();
    settings.CaseSensitive = true;
    pane.ShowRecords(0, &copy, &kept, settings);
    EXPECT_EQ(list->model()
                  ->data(list->model()->index(RowIndex("Name"), ComparePane::kDiffColumn), Qt::ToolTipRole)
                  .toString(),
              QStringLiteral("The values differ"));

    // Empty in both and compared by no rule: not listed.
    EXPECT_EQ(RowIndex("Pager"), -1);
}

// A compared field whose values differ but count as equal through an option carries its own mark in
// place of "≠", and says which options made it equal; a field compared by no rule, or one that differs
// even with the options, keeps "≠".
TEST_F(ComparePaneTest, FieldsEqualOnlyThroughAnOptionCarryTheirOwnMark)
{
    auto copy = Blank<ContactRecord>();
    Set(copy.FullName, "David Q. Scott ");
    Set(copy.LastName, "Scott");
    Set(copy.Company, "Acme.");
    Set(copy.BusinessPhone, "(505) 555-6363");
    Set(copy.BusinessEmail, "DQS@X.COM");
    auto kept = Blank<ContactRecord>();
    Set(kept.FullName, "David Q Scott");
    Set(kept.LastName, "Scot");
    Set(kept.Company, "Acme");
    Set(kept.BusinessPhone, "505.555.6363");
    Set(kept.BusinessEmail, "dqs@x.com");
    settings.AddrPhone = true;
    settings.MatchBlanks = settings.MatchPunct = settings.MatchPhone = settings.MatchEmail = true;

    const auto tipOf = [this](const char* label, int column) {
        return Text(list->model(), RowIndex(label), column, Qt::ToolTipRole);
    };
    struct Case
    {
        bool caseSensitive;
        const char* label;
        const char* mark;
        const char* tip;
    } const cases[] = {
        {false, "Name", "≈", "Equal when punctuation in names is ignored and extra blanks are ignored"},
        {false, "Work Phone", "≈", "Equal when phone numbers compare by their digits"},
        {false, "Company", "≠", "The values differ"},
        {false, "Last Name", "≠", "The values differ"},
        {false, "Work Email", "≠", "The values differ only in letter case, which the duplicate rules ignore"},
        {true, "Work Email", "≈", "Equal when e-mail addresses ignore letter case"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        settings.CaseSensitive = c.caseSensitive;
        pane.ShowRecords(0, &copy, &kept, settings);
        const Shown row = Row(c.label);
        EXPECT_EQ(row.diff, c.mark);
        EXPECT_TRUE(row.bold);
        EXPECT_TRUE(row.tinted);
        EXPECT_EQ(tipOf(c.label, ComparePane::kDiffColumn), c.tip);
        if (std::string(c.mark) == "\u2248") {
            EXPECT_NE(tipOf(c.label, ComparePane::kFieldColumn).find(c.tip), std::string::npos);
        }
    }

    // The same records with the options off: every difference is one.
    settings.CaseSensitive = true;
    settings.MatchBlanks = settings.MatchPunct = settings.MatchPhone = settings.MatchEmail = false;
    pane.ShowRecords(0, &copy, &kept, settings);
    for (const char* label : {"Name", "Work Phone", "Work Email"})
        EXPECT_EQ(Row(label).diff, "≠") << label;

    auto* legend = pagetest::Child<QLabel>(&pane, "lblCompareLegend");
    ASSERT_NE(legend, nullptr);
    EXPECT_TRUE(legend->text().contains(QStringLiteral("≈ equal through an \"Also count as equal\" option")))
        << legend->text().toStdString();
}

TEST_F(ComparePaneTest, ColumnsFollowWhetherThereIsARecordThatStays)
{
    auto a = Filled<ContactRecord>();
    auto b = a;
    Set(b.Company, "Other");

    pane.ShowRecords(0, &a, &b, settings);
    EXPECT_TRUE(ShowsRecordThatStays());
    EXPECT_EQ(Row("Company").diff, "\u2260");

    pane.ShowRecords(0, &a, nullptr, settings);
    EXPECT_FALSE(ShowsRecordThatStays());
    EXPECT_EQ(Row("Company").diff, "");

    // The record that stays itself: only it, nothing to differ from.
    pane.ShowRecords(0, &a, &a, settings);
    EXPECT_FALSE(ShowsRecordThatStays());
    for (const Shown& row : Rows()) {
        EXPECT_EQ(row.diff, "") << row.label;
        EXPECT_EQ(row.kept, "") << row.label;
    }

    pane.ShowRecords(0, nullptr, &b, settings);
    EXPECT_EQ(list->model()->rowCount(), 0);
    pane.ShowRecords(7, &a, &b, settings);
    EXPECT_EQ(list->model()->rowCount(), 0);

    pane.ShowRecords(0, &a, &b, settings);
    EXPECT_TRUE(ShowsRecordThatStays());
    EXPECT_EQ(Row("Company").kept, "Other");
}

struct RuleCase
{
    const char* name;
    int kind;
    bool AppSettingsData::*flag;
    const char* label;
    // False for a field beside the group's that no rule compares.
    bool marked;
};

const RuleCase kRuleCases[] = {
    {"DisplayName", 0, &AppSettingsData::AddrDisplayName, "Name", true},
    {"FirstName", 0, &AppSettingsData::AddrFirstName, "First Name", true},
    {"Company", 0, &AppSettingsData::AddrCompanyName, "Company", true},
    {"Department", 0, &AppSettingsData::AddrDepartment, "Department", true},
    {"SecondEmail", 0, &AppSettingsData::AddrEmail, "Personal Email", true},
    {"PagerByItsNumber", 0, &AppSettingsData::AddrPhone, "Pager", true},
    {"AlternatePhoneNever", 0, &AppSettingsData::AddrPhone, "Alternate Phone", false},
    {"HomeStreet", 0, &AppSettingsData::AddrAddress, "Home Address", true},
    {"SecondaryCityNever", 0, &AppSettingsData::AddrAddress, "Secondary City", false},
    {"Messenger", 0, &AppSettingsData::AddrIM, "Messenger ID", true},
    {"Website", 0, &AppSettingsData::AddrWebSite, "Website", true},
    {"EventDate", 1, &AppSettingsData::DateStartTime, "Date", true},
    {"EventStart", 1, &AppSettingsData::DateStartTime, "Start time", true},
    {"EventLocation", 1, &AppSettingsData::DateLocation, "Location", true},
    {"EventRecurrenceEnd", 1, &AppSettingsData::DateRecur, "Recurrence End", true},
    {"EventRecurrenceMonth", 1, &AppSettingsData::DateRecur, "Recurrence Month", true},
    {"EventExtraValueNever", 1, &AppSettingsData::DateRecur, "Extra Value", false},
    {"ContactPrefixNever", 0, &AppSettingsData::AddrFirstName, "Name Prefix", false},
    {"EventAllDay", 1, &AppSettingsData::DateAllDayEvent, "All day event", true},
    {"EventNotes", 1, &AppSettingsData::DateNote, "Notes", true},
    {"TaskPriority", 2, &AppSettingsData::TaskImportance, "Priority", true},
    {"TaskNotes", 2, &AppSettingsData::TaskNote, "Notes", true},
    {"TaskCompletedNever", 2, &AppSettingsData::TaskNote, "Completed", false},
};

void PrintTo(const RuleCase& c, std::ostream* os)
{
    *os << c.name;
}

class ComparePaneRules : public ComparePaneTest, public ::testing::WithParamInterface<RuleCase>
{
};

TEST_P(ComparePaneRules, FieldIsMarkedExactlyWhileItsRuleIsOn)
{
    const RuleCase& c = GetParam();
    const auto contact = Filled<ContactRecord>();
    const auto event = Filled<CalendarRecord>();
    const auto task = Filled<TaskRecord>();
    const void* records[] = {&contact, &event, &task};

    settings.*c.flag = true;
    pane.ShowRecords(c.kind, records[c.kind], nullptr, settings);
    EXPECT_EQ(Row(c.label).label, c.label);
    EXPECT_EQ(Row(c.label).rule, c.marked ? "\u25CF" : "");

    settings.*c.flag = false;
    pane.ShowRecords(c.kind, records[c.kind], nullptr, settings);
    EXPECT_EQ(Row(c.label).label, c.label);
    EXPECT_EQ(Row(c.label).rule, "");
}

INSTANTIATE_TEST_SUITE_P(ComparePane, ComparePaneRules, ::testing::ValuesIn(kRuleCases),
                         [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST_F(ComparePaneTest, NoteTextIsAlwaysCompared)
{
    const auto note = Blank<NoteRecord>();
    pane.ShowRecords(3, &note, nullptr, settings);
    // Empty, yet listed: the one field every note match rests on.
    EXPECT_EQ(Row("Notes").rule, "\u25CF");
    EXPECT_EQ(Row("Notes").record, "");
}

TEST_F(ComparePaneTest, LongNoteIsDrawnOnOneLineAndWholeInItsTooltip)
{
    auto note = Blank<NoteRecord>();
    std::string text;
    // Nearly as long as a note's text may be (8191 characters).
    while (text.size() + 12 < 8192)
        text += "line\r\nline\n";
    Set(note.NoteText, text.c_str());
    pane.ShowRecords(3, &note, nullptr, settings);

    const QAbstractItemModel* model = list->model();
    const int row = RowIndex("Notes");
    ASSERT_GE(row, 0);
    const QString drawn = model->data(model->index(row, ComparePane::kRecordColumn)).toString();
    EXPECT_TRUE(drawn.startsWith(QStringLiteral("line line line ")));
    EXPECT_FALSE(drawn.contains(QLatin1Char('\n')) || drawn.contains(QLatin1Char('\r')));
    QString whole = QString::fromStdString(text);
    whole.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(model->data(model->index(row, ComparePane::kRecordColumn), Qt::ToolTipRole).toString(), whole);
}

struct KindCase
{
    const char* name;
    int kind;
    std::vector<std::string> labels;
    // A few texts in the viewers' formats, for the fully filled record of the kind.
    std::vector<std::pair<std::string, std::string>> texts;
};

const KindCase kKindCases[] = {
    {"Contacts",
     0,
     {"Name",
      "Name Prefix",
      "First Name",
      "Middle Name",
      "Last Name",
      "Name Suffix",
      "Company",
      "Job Title",
      "Work Phone",
      "Home Phone",
      "Mobile Phone",
      "Alternate Phone",
      "Fax",
      "Pager",
      "Work Email",
      "Personal Email",
      "Work Address",
      "Work City",
      "Work State",
      "Work Postal",
      "Work Country",
      "Home Address",
      "Home City",
      "Home State",
      "Home Postal",
      "Home Country",
      "Custom Field 1",
      "Custom Field 2",
      "Custom Field 3",
      "Custom Field 4",
      "Custom Field 5",
      "Custom Field 6",
      "Custom Field 7",
      "Custom Field 8",
      "Custom Field 9",
      "Custom Field 10",
      "Record Creator",
      "Record Manager",
      "Last Edited By",
      "ID/Status",
      "Salutation",
      "Referred By",
      "Department",
      "Website",
      "Messenger ID",
      "Spouse",
      "Last Results",
      "Birthday",
      "Create Time",
      "Edit Time",
      "Last Attempt Time",
      "Last Email Time",
      "Last Meet Time",
      "Last Reach Time",
      "Last Letter Time",
      "Is Private",
      "Is User",
      "Is Imported",
      "Secondary First Name",
      "Secondary Last Name",
      "Secondary Contact",
      "Secondary Company",
      "Secondary Job Title",
      "Secondary Country",
      "Secondary State",
      "Secondary City",
      "Secondary Address (line 1)",
      "Secondary Address (line 2)",
      "Secondary Address (line 3)",
      "Secondary Postal",
      "Secondary Work Phone",
      "Secondary Mobile Phone",
      "Secondary Fax",
      "Secondary Email",
      "Secondary Website",
      "Secondary ID/Status",
      "Secondary Is Private"},
     {{"Fax", "Fax * FaxExtension"},
      {"Home Address", "HomeAddress1 HomeAddress2 HomeAddress3"},
      {"Birthday", "06/15/2021"},
      {"Last Letter Time", "06/15/2021 10:30:00"},
      {"Name Prefix", "NamePrefix"},
      {"Name Suffix", "NameSuffix"},
      {"Is Private", "Yes"},
      {"Is User", "Yes"},
      {"Is Imported", "Yes"},
      {"Secondary Is Private", "Yes"}}},
    {"Calendar",
     1,
     {"Description", "Date", "Start time", "End time", "Location", "Event Type", "All day event", "Is Private",
      "Recurrence", "Recurrence Instance", "Recurrence Month", "Recurrence End", "Notes", "Create Time", "Edit Date",
      "Extra Value"},
     {{"Date", "06/15/2021"},
      {"Start time", "10:30:00"},
      {"Event Type", "Meeting"},
      {"Recurrence", "Daily: every 1 days"},
      {"Recurrence Instance", "1"},
      {"Recurrence Month", "1"},
      {"Recurrence End", "06/15/2021"},
      {"Edit Date", "06/15/2021 10:30:00"},
      {"Extra Value", "1"}}},
    {"Tasks",
     2,
     {"Description", "Priority", "Due Date", "Completed", "Private", "Notes", "Create Time", "Edit Date", "Extra Text",
      "Extra Values", "Extra Number"},
     {{"Priority", "1 (Normal)"},
      {"Due Date", "06/15/2021"},
      {"Completed", "Yes"},
      {"Extra Text", "ExtraText"},
      {"Extra Values", "1, 1, 1, 1, 1, 1"},
      {"Extra Number", "44362.4375"}}},
    {"Notes",
     3,
     {"Notes", "Create User Name", "Edit User Name", "Manage User Name", "Private", "Create Time", "Edit Time"},
     {{"Private", "Yes"}, {"Edit Time", "06/15/2021 10:30:00"}}},
};

void PrintTo(const KindCase& c, std::ostream* os)
{
    *os << c.name;
}

class ComparePaneKinds : public ComparePaneTest, public ::testing::WithParamInterface<KindCase>
{
};

TEST_P(ComparePaneKinds, FullRecordShowsEveryFieldOfItsViewerInOrder)
{
    const KindCase& c = GetParam();
    const auto contact = Filled<ContactRecord>();
    const auto event = Filled<CalendarRecord>();
    const auto task = Filled<TaskRecord>();
    const auto note = Filled<NoteRecord>();
    const void* records[] = {&contact, &event, &task, &note};

    pane.ShowRecords(c.kind, records[c.kind], nullptr, settings);
    EXPECT_EQ(Labels(), c.labels);
    for (const auto& [label, text] : c.texts)
        EXPECT_EQ(Row(label.c_str()).record, text) << label;
}

INSTANTIATE_TEST_SUITE_P(ComparePane, ComparePaneKinds, ::testing::ValuesIn(kKindCases),
                         [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST_F(ComparePaneTest, RecurrenceReadsAsTheViewersPages)
{
    struct Case
    {
        std::int32_t type;
        std::int32_t interval;
        std::int32_t days;
        std::int32_t byDate;
        double end;
        const char* recurrence;
        const char* recurrenceEnd;
    };
    const double end = Ole(2022, 12, 31);
    const Case cases[] = {
        {0, 1, 0, 0, 0, "", ""},
        {7, 1, 0, 0, end, "", ""},
        {1, 3, 0, 0, 0, "Daily: every 3 days", "No end date"},
        {2, 2, 34, 0, end, "Weekly: every 2 weeks on Monday, Friday", "12/31/2022"},
        {2, 1, 1 | 64, 0, end, "Weekly: every 1 weeks on Saturday, Sunday", "12/31/2022"},
        {3, 1, 0, 1, 0, "Monthly: every 1 months, by date", "No end date"},
        {3, 1, 0, 2, 0, "Monthly: every 1 months, by day", "No end date"},
        {4, 2, 0, 0, 0, "Yearly: every 2 years, by day", "No end date"},
    };
    for (const Case& c : cases) {
        auto event = Blank<CalendarRecord>();
        event.RecurType = c.type;
        event.RecurInterval = c.interval;
        event.RecurDays = c.days;
        event.RecurByDate = c.byDate;
        event.RecurEndDate = c.end;
        pane.ShowRecords(1, &event, nullptr, settings);
        std::string recurrence = "(not listed)";
        std::string recurrenceEnd = "(not listed)";
        for (int row = 0; row < list->model()->rowCount(); ++row) {
            const std::string label = Text(list->model(), row, ComparePane::kFieldColumn);
            if (label == "Recurrence")
                recurrence = Text(list->model(), row, ComparePane::kRecordColumn);
            if (label == "Recurrence End")
                recurrenceEnd = Text(list->model(), row, ComparePane::kRecordColumn);
        }
        SCOPED_TRACE(c.type);
        // A record that does not recur lists neither row, unless a rule compares the recurrence.
        EXPECT_EQ(recurrence, *c.recurrence ? c.recurrence : "(not listed)");
        EXPECT_EQ(recurrenceEnd, *c.recurrenceEnd ? c.recurrenceEnd : "(not listed)");
    }
}

// Dates long past and years ahead show as any other day; no date stays out of the pane.
TEST_F(ComparePaneTest, DatesOfEveryYearShow)
{
    auto contact = Blank<ContactRecord>();
    contact.Birthday = Ole(1925, 5, 17);
    contact.EditDate = Ole(2031, 1, 2, 8, 0, 0);
    auto event = Blank<CalendarRecord>();
    event.StartTime = Ole(2031, 3, 14, 9, 30, 0);
    event.RecurType = 1;
    event.RecurEndDate = Ole(2099, 12, 31);
    auto task = Blank<TaskRecord>();
    task.DueDate = Ole(2031, 1, 1);
    auto note = Blank<NoteRecord>();
    note.CreateTime = Ole(2045, 7, 4, 12, 0, 0);
    const void* records[] = {&contact, &event, &task, &note};

    const struct
    {
        int kind;
        const char* label;
        const char* text;
    } cases[] = {
        {0, "Birthday", "05/17/1925"},
        {0, "Edit Time", "01/02/2031 08:00:00"},
        {0, "Create Time", "(not listed)"},
        {1, "Date", "03/14/2031"},
        {1, "Start time", "09:30:00"},
        {1, "Recurrence End", "12/31/2099"},
        {2, "Due Date", "01/01/2031"},
        {2, "Create Time", "(not listed)"},
        {3, "Create Time", "07/04/2045 12:00:00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        pane.ShowRecords(c.kind, records[c.kind], nullptr, settings);
        const Shown row = Row(c.label);
        EXPECT_EQ(row.label.empty() ? "(not listed)" : row.record, c.text);
    }
}

// The fields no viewer shows are in the pane too, so a copy that differs only in one of them is seen to
// differ.
TEST_F(ComparePaneTest, FieldsNoViewerShowsAreComparedToo)
{
    const struct
    {
        int kind;
        const char* label;
        void (*change)(void* record);
        const char* record;
        const char* kept;
    } cases[] = {
        {0, "Name Prefix", [](void* r) { Set(static_cast<ContactRecord*>(r)->NamePrefix, "Dr."); }, "", "Dr."},
        {0, "Name Suffix", [](void* r) { Set(static_cast<ContactRecord*>(r)->NameSuffix, "Jr."); }, "", "Jr."},
        {0, "Is Private", [](void* r) { static_cast<ContactRecord*>(r)->IsPrivate = true; }, "No", "Yes"},
        {0, "Is User", [](void* r) { static_cast<ContactRecord*>(r)->IsUser = true; }, "No", "Yes"},
        {0, "Is Imported", [](void* r) { static_cast<ContactRecord*>(r)->IsImported = true; }, "No", "Yes"},
        {0, "Fax", [](void* r) { Set(static_cast<ContactRecord*>(r)->FaxExtension, "77"); }, "", "(no number) * 77"},
        {1, "Recurrence Instance", [](void* r) { static_cast<CalendarRecord*>(r)->RecurInstance = 2; }, "0", "2"},
        {1, "Recurrence Month", [](void* r) { static_cast<CalendarRecord*>(r)->RecurMonth = 11; }, "0", "11"},
        {1, "Extra Value", [](void* r) { static_cast<CalendarRecord*>(r)->ExtraValue = -5; }, "0", "-5"},
        {2, "Extra Text", [](void* r) { Set(static_cast<TaskRecord*>(r)->ExtraText, "kept"); }, "", "kept"},
        {2, "Extra Values", [](void* r) { static_cast<TaskRecord*>(r)->ExtraValues[5] = 9; }, "0, 0, 0, 0, 0, 0",
         "0, 0, 0, 0, 0, 9"},
        {2, "Extra Number", [](void* r) { static_cast<TaskRecord*>(r)->ExtraDouble = 0.1; }, "0", "0.1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto contacts = std::make_pair(Blank<ContactRecord>(), Blank<ContactRecord>());
        auto events = std::make_pair(Blank<CalendarRecord>(), Blank<CalendarRecord>());
        auto tasks = std::make_pair(Blank<TaskRecord>(), Blank<TaskRecord>());
        void* copies[] = {&contacts.first, &events.first, &tasks.first};
        void* kept[] = {&contacts.second, &events.second, &tasks.second};
        c.change(kept[c.kind]);
        pane.ShowRecords(c.kind, copies[c.kind], kept[c.kind], settings);
        const Shown row = Row(c.label);
        EXPECT_EQ(row.label, c.label);
        EXPECT_EQ(row.record, c.record);
        EXPECT_EQ(row.kept, c.kept);
        EXPECT_EQ(row.diff, "\u2260");
        EXPECT_TRUE(row.bold);
    }
}

TEST(ComparePaneKeyboard, TabReachesTheListSoTheKeyboardCanScrollIt)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    edit->setObjectName(QStringLiteral("edtBefore"));
    layout->addWidget(edit);
    auto* pane = new ComparePane(&window);
    layout->addWidget(pane);
    auto* list = pagetest::Child<QTreeView>(pane, "lvCompare");
    ASSERT_NE(list, nullptr);
    const auto contact = Filled<ContactRecord>();
    pane->ShowRecords(0, &contact, nullptr, AppSettingsData{});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));

    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_TRUE(list->hasFocus());
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), list->model()->rowCount() - 1);
}

} // namespace
