#include "TestUtil.h"

#include "ACT/ACTRecords.h"
#include "core/DateText.h"
#include "core/DeletionBackup.h"
#include "core/RestoreCsv.h"
#include "platform/Platform.h"
#include "platform/SaveFile.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include "platform/WindowsApi.h"
#endif

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

using testutil::readFile;
using testutil::TempDir;
using testutil::writeFile;

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Names as the data files spell them ("FullName", "UserDefined1"): a lower-case letter followed by a
// capital, or a letter followed by a digit.
bool RunTogether(const std::string& name)
{
    for (std::size_t i = 1; i < name.size(); ++i) {
        const auto before = static_cast<unsigned char>(name[i - 1]);
        const auto at = static_cast<unsigned char>(name[i]);
        if ((std::islower(before) && std::isupper(at)) || (std::isalpha(before) && std::isdigit(at)))
            return true;
    }
    return false;
}

// The backup of the given kinds' records, written by a run into its own folder.
struct WrittenBackup
{
    TempDir dir;
    DeletionBackup backup;

    explicit WrittenBackup(const std::vector<BackupKind>& kinds)
    {
        std::string error;
        EXPECT_TRUE(backup.Create(dir.file("Velloran Backups"), error)) << error;
        EXPECT_TRUE(backup.WriteRecords(kinds, error)) << error;
    }

    std::string Path(const char* kindWord) const { return backup.Folder() + kindWord + ".csv"; }

    // The rows of a kind's file; fails the test unless the file is one a spreadsheet reads right.
    testutil::CsvRows Rows(const char* kindWord) const
    {
        const std::string path = Path(kindWord);
        EXPECT_EQ(readFile(path).rfind(kByteOrderMark, 0), 0u) << path << " starts without a byte-order mark";
        std::string problem;
        testutil::CsvRows rows = testutil::readCsv(path, problem);
        EXPECT_EQ(problem, "") << path;
        return rows;
    }

    // The values of one column, by its name, one per record.
    std::vector<std::string> Column(const char* kindWord, const std::string& label) const
    {
        const testutil::CsvRows rows = Rows(kindWord);
        std::vector<std::string> values;
        if (rows.empty()) {
            ADD_FAILURE() << kindWord << ": no header";
            return values;
        }
        const auto at = std::find(rows[0].begin(), rows[0].end(), label);
        if (at == rows[0].end()) {
            ADD_FAILURE() << kindWord << ": no column " << label;
            return values;
        }
        for (std::size_t r = 1; r < rows.size(); ++r)
            values.push_back(rows[r].at(static_cast<std::size_t>(at - rows[0].begin())));
        return values;
    }
};

TEST(RestoreCsv, EveryStoredFieldHasOneColumnNamedAsAUserReadsIt)
{
    for (const RecordKind kind : kAllRecordKinds) {
        const FieldTable& table = KindInfo(kind).fields();
        std::set<std::string> fields;
        for (std::size_t i = 0; i < table.count; ++i) {
            if (IsHeaderWord(table.fields[i]))
                continue;
            fields.insert(table.fields[i].name);
            EXPECT_NE(RestoreColumnOf(kind, table.fields[i].name), nullptr)
                << KindInfo(kind).word << " has no column for " << table.fields[i].name;
        }
        const RestoreColumns& columns = RestoreColumnsOf(kind);
        std::set<std::string> labels;
        for (std::size_t i = 0; i < columns.count; ++i) {
            const RestoreColumn& column = columns.columns[i];
            EXPECT_EQ(fields.count(column.field), 1u) << KindInfo(kind).word << " has no field " << column.field;
            EXPECT_TRUE(labels.insert(column.label).second) << KindInfo(kind).word << ": " << column.label << " twice";
            EXPECT_FALSE(RunTogether(column.label)) << column.label;
        }
        EXPECT_EQ(columns.count, fields.size()) << KindInfo(kind).word;
    }
}

TEST(RestoreCsv, ATaskFileIsWhatASpreadsheetAndAnImportReadRight)
{
    TaskRecord task{};
    task.RecordID = "T1";
    task.Regarding = "Call \"Ann\", then\r\nwrite";
    task.Details = "  +1 555 0100 ";
    task.CreateTime = 39512.5;
    task.Priority = 0;
    task.ExtraValues[0] = -7;
    task.ExtraValues[5] = 65536;
    task.ExtraDouble = 0.1;
    task.IsPrivate = true;
    task.DueDate = 47484.75;
    const WrittenBackup written({{"tasks", &TaskFields(), {{&task, nullptr}}}});
    EXPECT_EQ(
        readFile(written.Path("tasks")),
        std::string(kByteOrderMark) +
            "Record ID,Description,Extra Text,Notes,Create Time,Edit Date,Priority,Extra Value 1,Extra Value 2,"
            "Extra Value 3,Extra Value 4,Extra Value 5,Extra Value 6,Extra Number,Private,Due Date,Completed\r\n"
            "T1,\"Call \"\"Ann\"\", then\r\nwrite\",,  +1 555 0100 ,2008-03-05T12:00:00,,High,-7,0,0,0,0,65536,0.1,"
            "Yes,2030-01-01T18:00:00,No\r\n");
}

TEST(RestoreCsv, CodedValuesAreWordsAndUnknownCodesKeepTheirNumber)
{
    const struct
    {
        std::int32_t priority;
        const char* word;
    } priorities[] = {{0, "High"}, {1, "Normal"}, {2, "Low"}, {3, "3"}, {-1, "-1"}};
    std::vector<TaskRecord> tasks(std::size(priorities));
    BackupKind taskKind{"tasks", &TaskFields(), {}};
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        tasks[i].Priority = priorities[i].priority;
        taskKind.records.push_back({&tasks[i], nullptr});
    }

    constexpr std::int32_t kMonday = 1 << 1, kWednesday = 1 << 3, kSaturday = 1 << 6, kSunday = 1 << 0;
    const struct
    {
        const char* name;
        std::int32_t eventType, recurType, recurDays, byDate;
        double recurEnd;
        const char *type, *recurrence, *days, *by, *end;
    } events[] = {
        {"weekly, two days", 1, 2, kMonday | kWednesday, 0, 47484.0, "Meeting", "Weekly", "Monday, Wednesday", "0",
         "2030-01-01T00:00:00"},
        {"weekly, Monday first", 2, 2, kSunday | kSaturday, 0, 0.0, "Call", "Weekly", "Saturday, Sunday", "0", ""},
        {"weekly, no day", 3, 2, 0, 0, 0.0, "Todo", "Weekly", "", "0", ""},
        {"weekly, bits beyond the week", 0, 2, 128 | kMonday, 0, 0.0, "Appointment", "Weekly", "130", "0", ""},
        {"monthly by date, no end", 7, 3, 15, 1, 1.0, "7", "Monthly", "15", "Date", ""},
        {"yearly by day", 0, 4, 3, 0, 47484.0, "Appointment", "Yearly", "3", "Day", "2030-01-01T00:00:00"},
        {"yearly, another by-date code", 0, 4, 3, 2, 0.5, "Appointment", "Yearly", "3", "2", ""},
        {"daily", 0, 1, 2, 1, 47484.0, "Appointment", "Daily", "2", "1", "2030-01-01T00:00:00"},
        {"none", -1, 0, 5, 1, 0.0, "-1", "None", "5", "1", ""},
        {"unknown recurrence", 0, 9, 2, 1, 0.0, "Appointment", "9", "2", "1", ""},
    };
    std::vector<CalendarRecord> records(std::size(events));
    BackupKind eventKind{"calendar", &CalendarFields(), {}};
    for (std::size_t i = 0; i < records.size(); ++i) {
        records[i].EventType = events[i].eventType;
        records[i].RecurType = events[i].recurType;
        records[i].RecurDays = events[i].recurDays;
        records[i].RecurByDate = events[i].byDate;
        records[i].RecurEndDate = events[i].recurEnd;
        eventKind.records.push_back({&records[i], nullptr});
    }

    const WrittenBackup written({eventKind, taskKind});
    const auto words = written.Column("tasks", "Priority");
    ASSERT_EQ(words.size(), std::size(priorities));
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(words[i], priorities[i].word) << priorities[i].priority;

    const std::map<std::string, std::vector<std::string>> columns = {
        {"Event Type", written.Column("calendar", "Event Type")},
        {"Recurrence", written.Column("calendar", "Recurrence")},
        {"Recurrence Days", written.Column("calendar", "Recurrence Days")},
        {"Recurrence By", written.Column("calendar", "Recurrence By")},
        {"Recurrence End", written.Column("calendar", "Recurrence End")},
    };
    for (const auto& [label, values] : columns)
        ASSERT_EQ(values.size(), std::size(events)) << label;
    for (std::size_t i = 0; i < std::size(events); ++i) {
        const auto& e = events[i];
        EXPECT_EQ(columns.at("Event Type")[i], e.type) << e.name;
        EXPECT_EQ(columns.at("Recurrence")[i], e.recurrence) << e.name;
        EXPECT_EQ(columns.at("Recurrence Days")[i], e.days) << e.name;
        EXPECT_EQ(columns.at("Recurrence By")[i], e.by) << e.name;
        EXPECT_EQ(columns.at("Recurrence End")[i], e.end) << e.name;
    }
}

TEST(RestoreCsv, EveryKindStartsWithRecordIdAndValuesComeBackAsStored)
{
#ifdef _WIN32
    // The CRM's texts come in the system's code page: the Western one is checked.
    const char* const storedName = "Zo\xEB M\xFCller";
    const bool nameReadable = ::GetACP() == 1252;
#else
    const char* const storedName = "Zo\xC3\xAB M\xC3\xBCller";
    const bool nameReadable = true;
#endif
    ContactRecord contact{};
    contact.RecordID = "C,1";
    contact.FullName = storedName;
    contact.Company = "Acme, \"Best\"\nInc";
    contact.BusinessPhone = "+1 555 0100";
    contact.BusinessPostal = "01234";
    contact.Salutation = " Dr ";
    contact.IsPrivate = true;
    contact.Birthday = 9133.0;
    CalendarRecord event{};
    event.RecordID = "E1";
    event.Details = "line 1\r\nline 2\n";
    TaskRecord task{};
    task.RecordID = "T1";
    NoteRecord note{};
    note.RecordID = "N1";
    note.NoteText = "\"quoted\"";

    const WrittenBackup written({{"contacts", &ContactFields(), {{&contact, nullptr}}},
                                 {"calendar", &CalendarFields(), {{&event, nullptr}}},
                                 {"tasks", &TaskFields(), {{&task, nullptr}}},
                                 {"notes", &NoteFields(), {{&note, nullptr}}}});
    for (const char* kind : {"contacts", "calendar", "tasks", "notes"}) {
        const testutil::CsvRows rows = written.Rows(kind);
        ASSERT_EQ(rows.size(), 2u) << kind;
        ASSERT_FALSE(rows[0].empty()) << kind;
        EXPECT_EQ(rows[0][0], "Record ID") << kind;
        EXPECT_EQ(rows[1].size(), rows[0].size()) << kind;
        for (std::size_t i = 0; i < KindInfo(*KindOfWord(kind)).fields().count; ++i) {
            const std::string name = KindInfo(*KindOfWord(kind)).fields().fields[i].name;
            EXPECT_TRUE(std::find(rows[0].begin(), rows[0].end(), name) == rows[0].end() || !RunTogether(name))
                << kind << " has the column " << name;
        }
        EXPECT_TRUE(testutil::ownerOnly(written.Path(kind))) << kind;
    }

    const std::map<std::string, std::string> contactValues = {
        {"Record ID", "C,1"},
        {"Company", "Acme, \"Best\"\nInc"},
        {"Work Phone", "+1 555 0100"},
        {"Work Postal", "01234"},
        {"Salutation", " Dr "},
        {"Is Private", "Yes"},
        {"Is User", "No"},
        {"Birthday", "1925-01-01T00:00:00"},
        {"Edit Time", ""},
    };
    for (const auto& [label, value] : contactValues)
        EXPECT_EQ(written.Column("contacts", label), std::vector<std::string>{value}) << label;
    if (nameReadable) {
        EXPECT_EQ(written.Column("contacts", "Name"), std::vector<std::string>{"Zo\xC3\xAB M\xC3\xBCller"});
    }
    EXPECT_EQ(written.Column("calendar", "Notes"), std::vector<std::string>{"line 1\r\nline 2\n"});
    EXPECT_EQ(written.Column("notes", "Notes"), std::vector<std::string>{"\"quoted\""});
}

TEST(CsvField, QuotesOnlyWhatNeedsIt)
{
    const struct
    {
        const char* text;
        const char* field;
    } cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"carriage\rreturn", "\"carriage\rreturn\""},
        {" blanks kept ", " blanks kept "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvField(c.text), c.field) << c.text;
}

TEST(IsoDateText, DatesTimesAndNone)
{
    const struct
    {
        double date;
        const char* text;
    } cases[] = {
        {0, ""},
        {1, "1899-12-31T00:00:00"},
        {39512.5, "2008-03-05T12:00:00"},
        {-1.25, "1899-12-29T06:00:00"},
        // Beyond the calendar's years the number itself is kept.
        {3e6, "3000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsoDateText(c.date), c.text) << c.date;
}

TEST(DeletionBackup, EachRunGetsANewOwnerOnlyFolder)
{
    TempDir dir;
    const std::string root = dir.file("Velloran Backups");
    std::set<std::string> folders;
    for (int i = 0; i < 3; ++i) {
        DeletionBackup backup;
        std::string error;
        ASSERT_TRUE(backup.Create(root, error)) << error;
        EXPECT_TRUE(folders.insert(backup.Folder()).second) << "reused " << backup.Folder();
        EXPECT_TRUE(testutil::ownerOnly(backup.Folder()));
        EXPECT_TRUE(backup.Folder().back() == '/' || backup.Folder().back() == '\\');
    }
    EXPECT_TRUE(testutil::ownerOnly(root));
}

TEST(DeletionBackup, ABackupLandsInADocumentsFolderWhoseLevelsAreMissing)
{
    TempDir dir;
    // Neither the home folder nor its documents folder exists yet.
    platform::setUserFoldersForTesting(dir.file("data"), dir.file("home/Documents"));
    std::string documents;
    const bool found = platform::documentsFolder(documents);
    platform::setUserFoldersForTesting("", "");
    ASSERT_TRUE(found);
    ASSERT_FALSE(std::filesystem::exists(dir.file("home")));

    DeletionBackup backup;
    std::string error;
    ASSERT_TRUE(backup.Create(BackupRootFolder(documents), error)) << error;
    NoteRecord note{};
    note.RecordID = "N1";
    ASSERT_TRUE(backup.WriteRecords({{"notes", &NoteFields(), {{&note, nullptr}}}}, error)) << error;
    EXPECT_EQ(backup.Folder().rfind(BackupRootFolder(documents), 0), 0u) << backup.Folder();
    EXPECT_TRUE(std::filesystem::exists(backup.Folder() + "notes.csv"));
    for (const char* folder : {"home", "home/Documents", "home/Documents/Velloran Backups"})
        EXPECT_TRUE(testutil::ownerOnly(dir.file(folder))) << folder;
}

TEST(DeletionBackup, AFolderThatCannotBeMadeIsAnError)
{
    TempDir dir;
    writeFile(dir.file("Velloran Backups"), "");
    DeletionBackup backup;
    std::string error;
    EXPECT_FALSE(backup.Create(dir.file("Velloran Backups"), error));
    EXPECT_NE(error.find("Velloran Backups"), std::string::npos) << error;
    EXPECT_TRUE(backup.Folder().empty());
}

TEST(SaveFile, ReplacesTheTargetOnlyWhenCommitted)
{
    TempDir dir;
    const std::string target = dir.file("settings.ini");
    writeFile(target, "old");
    {
        platform::SaveFile file(target);
        ASSERT_TRUE(file.Open());
        ASSERT_TRUE(file.Write(std::string(200000, 'x')));
        EXPECT_EQ(readFile(target), "old") << "nothing shows before the commit";
    }
    EXPECT_EQ(readFile(target), "old") << "given up without a commit";

    platform::SaveFile file(target);
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Write("new "));
    ASSERT_TRUE(file.Write(std::string(100000, 'y')));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(readFile(target), "new " + std::string(100000, 'y'));
    EXPECT_TRUE(testutil::ownerOnly(target));
    // No temporary file stays behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

TEST(SaveFile, AMissingFolderFailsAndCreatesNothing)
{
    TempDir dir;
    EXPECT_FALSE(platform::SaveWholeFile(dir.file("missing/file.txt"), "text"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("missing")));
}

} // namespace
