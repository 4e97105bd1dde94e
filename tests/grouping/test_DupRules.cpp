#include "GroupingFixture.h"

#include "core/DupRules.h"

#include <gtest/gtest.h>

#include <functional>

using namespace grouping_test;

namespace {

class RulesTest : public ::testing::Test
{
protected:
    AppSettingsData settings = defaultRules();
};

template <class Record>
struct RuleCase
{
    const char* name;
    std::function<void(AppSettingsData&)> settings; // applied on top of the defaults
    std::function<void(Record&)> changeSecond;      // applied to a copy of the first record
    bool equal;
};

ContactRecord sampleContact()
{
    ContactRecord c{};
    setText(c.FullName, "Ada Lovelace");
    setText(c.FirstName, "Ada");
    setText(c.LastName, "Lovelace");
    setText(c.BusinessEmail, "ada@engines.example");
    setText(c.PersonalEmail, "ada@home.example");
    setText(c.Company, "Analytical Engines");
    setText(c.BusinessPhone, "555-0100");
    setText(c.BusinessCity, "London");
    return c;
}

void noSettings(AppSettingsData&) {}

const RuleCase<ContactRecord> kContactCases[] = {
    {"identical", noSettings, [](ContactRecord&) {}, true},
    {"phones company and address are ignored by default", noSettings,
     [](ContactRecord& c) {
         setText(c.BusinessPhone, "555-0199");
         setText(c.Company, "Other");
         setText(c.BusinessCity, "Paris");
     },
     true},
    {"display name differs", noSettings, [](ContactRecord& c) { setText(c.FullName, "Ada King"); }, false},
    {"capitals match without the case rule", noSettings,
     [](ContactRecord& c) { setText(c.FullName, "ADA LOVELACE"); }, true},
    {"capitals differ under the case rule", [](AppSettingsData& s) { s.CaseSensitive = true; },
     [](ContactRecord& c) { setText(c.FullName, "ADA LOVELACE"); }, false},
    {"a trailing blank differs", noSettings, [](ContactRecord& c) { setText(c.LastName, "Lovelace "); }, false},
    {"a trailing blank differs under the case rule too", [](AppSettingsData& s) { s.CaseSensitive = true; },
     [](ContactRecord& c) { setText(c.LastName, "Lovelace "); }, false},
    {"only non-ASCII letters fold nowhere", noSettings, [](ContactRecord& c) { setText(c.LastName, "LOVELACE\xe9"); },
     false},
    {"personal e-mail differs", noSettings, [](ContactRecord& c) { setText(c.PersonalEmail, "x@y"); }, false},
    {"e-mail ignored when off", [](AppSettingsData& s) { s.AddrEmail = false; },
     [](ContactRecord& c) { setText(c.PersonalEmail, "x@y"); }, true},
    {"company counts when on", [](AppSettingsData& s) { s.AddrCompanyName = true; },
     [](ContactRecord& c) { setText(c.Company, "Other"); }, false},
    {"department counts when on", [](AppSettingsData& s) { s.AddrDepartment = true; },
     [](ContactRecord& c) { setText(c.Department, "R&D"); }, false},
    {"title counts when on", [](AppSettingsData& s) { s.AddrTitle = true; },
     [](ContactRecord& c) { setText(c.Title, "Countess"); }, false},
    {"pager is a phone", [](AppSettingsData& s) { s.AddrPhone = true; },
     [](ContactRecord& c) { setText(c.Pager, "1"); }, false},
    {"home postal is an address", [](AppSettingsData& s) { s.AddrAddress = true; },
     [](ContactRecord& c) { setText(c.HomePostal, "N1"); }, false},
    {"instant messenger counts when on", [](AppSettingsData& s) { s.AddrIM = true; },
     [](ContactRecord& c) { setText(c.InstantMessenger, "ada"); }, false},
    {"website counts when on", [](AppSettingsData& s) { s.AddrWebSite = true; },
     [](ContactRecord& c) { setText(c.Website, "w"); }, false},
    {"alternate phone and secondary fields take part in nothing",
     [](AppSettingsData& s) { s.AddrPhone = s.AddrAddress = s.AddrIM = s.AddrWebSite = true; },
     [](ContactRecord& c) {
         setText(c.AlternatePhone, "1");
         setText(c.FaxExtension, "2");
         setText(c.PagerExtension, "3");
         setText(c.AlternatePhoneExtension, "4");
         setText(c.SecondaryFirstName, "Bob");
         setText(c.SecondaryAddress1, "Elsewhere");
         setText(c.SecondaryEmail, "bob@x");
         setText(c.SecondaryPhone, "5");
     },
     true},
    {"the notes flag changes nothing", [](AppSettingsData& s) { s.AddrNote = true; },
     [](ContactRecord& c) { setText(c.UserDefined[0], "note"); }, true},
    {"blanks option reaches every compared text", [](AppSettingsData& s) { s.MatchBlanks = s.AddrAddress = true; },
     [](ContactRecord& c) {
         setText(c.FullName, " Ada\t\tLovelace\r\n");
         setText(c.BusinessCity, "London ");
     },
     true},
    {"punctuation option reaches names and company",
     [](AppSettingsData& s) { s.MatchPunct = s.AddrCompanyName = true; },
     [](ContactRecord& c) {
         setText(c.FullName, "Ada Love-lace.");
         setText(c.LastName, "Love'lace");
         setText(c.Company, "Analytical, Engines");
     },
     true},
    {"punctuation option leaves the title alone", [](AppSettingsData& s) { s.MatchPunct = s.AddrTitle = true; },
     [](ContactRecord& c) { setText(c.Title, "."); }, false},
    {"punctuation option leaves e-mail alone", [](AppSettingsData& s) { s.MatchPunct = true; },
     [](ContactRecord& c) { setText(c.BusinessEmail, "ada@enginesexample"); }, false},
    {"phone option compares digits", [](AppSettingsData& s) { s.MatchPhone = s.AddrPhone = true; },
     [](ContactRecord& c) {
         setText(c.BusinessPhone, "(555) 0100");
         setText(c.Pager, "-");
     },
     true},
    {"phone option with other digits", [](AppSettingsData& s) { s.MatchPhone = s.AddrPhone = true; },
     [](ContactRecord& c) { setText(c.BusinessPhone, "555-01000"); }, false},
    {"an option switches no group on", [](AppSettingsData& s) { s.MatchPhone = s.MatchBlanks = true; },
     [](ContactRecord& c) { setText(c.BusinessPhone, "1"); }, true},
    {"e-mail option under the case rule",
     [](AppSettingsData& s) { s.MatchEmail = s.CaseSensitive = true; },
     [](ContactRecord& c) { setText(c.PersonalEmail, "ADA@Home.Example"); }, true},
    {"e-mail option leaves names under the case rule",
     [](AppSettingsData& s) { s.MatchEmail = s.CaseSensitive = true; },
     [](ContactRecord& c) { setText(c.FullName, "ADA LOVELACE"); }, false},
    {"all flags off: anything matches",
     [](AppSettingsData& s) {
         s.AddrDisplayName = s.AddrFirstName = s.AddrMiddleName = s.AddrLastName = s.AddrEmail = false;
     },
     [](ContactRecord& c) { c = ContactRecord{}; }, true},
};

TEST_F(RulesTest, Contacts)
{
    for (const auto& tc : kContactCases) {
        SCOPED_TRACE(tc.name);
        settings = defaultRules();
        tc.settings(settings);
        const ContactRecord a = sampleContact();
        ContactRecord b = a;
        tc.changeSecond(b);
        EXPECT_EQ(ContactsEqual(&a, &b, settings), tc.equal);
        EXPECT_EQ(ContactsEqual(&b, &a, settings), tc.equal);
    }
}

TEST_F(RulesTest, EmptyContactsAreEqualAndNullNever)
{
    const ContactRecord a{};
    const ContactRecord b{};
    EXPECT_TRUE(ContactsEqual(&a, &b, settings));
    EXPECT_FALSE(ContactsEqual(&a, nullptr, settings));
    EXPECT_FALSE(ContactsEqual(nullptr, &b, settings));
}

CalendarRecord sampleEvent()
{
    CalendarRecord e{};
    setText(e.Regarding, "Board meeting");
    setText(e.Location, "Room 1");
    e.StartTime = 39512.5;
    e.EndTime = 39512.5 + 1.0 / 24;
    e.IsTimeless = false;
    return e;
}

const RuleCase<CalendarRecord> kEventCases[] = {
    {"identical", noSettings, [](CalendarRecord&) {}, true},
    {"location ignored by default", noSettings, [](CalendarRecord& e) { setText(e.Location, "Room 2"); }, true},
    {"location counts when on", [](AppSettingsData& s) { s.DateLocation = true; },
     [](CalendarRecord& e) { setText(e.Location, "Room 2"); }, false},
    {"subject in capitals", noSettings, [](CalendarRecord& e) { setText(e.Regarding, "BOARD MEETING"); }, true},
    {"one second later", noSettings, [](CalendarRecord& e) { e.StartTime += 1.0 / 86400; }, false},
    {"one second later with both times off",
     [](AppSettingsData& s) { s.DateStartTime = s.DateEndTime = false; },
     [](CalendarRecord& e) {
         e.StartTime += 1.0 / 86400;
         e.EndTime += 1.0 / 86400;
     },
     true},
    {"all-day flag", noSettings, [](CalendarRecord& e) { e.IsTimeless = true; }, false},
    {"details count when on", [](AppSettingsData& s) { s.DateNote = true; },
     [](CalendarRecord& e) { setText(e.Details, "x"); }, false},
    {"recurrence ignored by default", noSettings, [](CalendarRecord& e) { e.RecurType = 2; }, true},
    {"recurrence end counts when on", [](AppSettingsData& s) { s.DateRecur = true; },
     [](CalendarRecord& e) { e.RecurEndDate = 40000; }, false},
    {"recurrence days count when on", [](AppSettingsData& s) { s.DateRecur = true; },
     [](CalendarRecord& e) { e.RecurDays = 4; }, false},
    {"blanks option reaches the calendar", [](AppSettingsData& s) { s.MatchBlanks = s.DateLocation = true; },
     [](CalendarRecord& e) {
         setText(e.Regarding, "Board \t meeting");
         setText(e.Location, " Room 1");
     },
     true},
    {"punctuation option does not", [](AppSettingsData& s) { s.MatchPunct = s.MatchBlanks = true; },
     [](CalendarRecord& e) { setText(e.Regarding, "Board meeting."); }, false},
    {"type, privacy and creation take part in nothing", noSettings,
     [](CalendarRecord& e) {
         e.EventType = 2;
         e.IsPrivate = true;
         e.CreateTime = 1;
         e.ExtraValue = 9;
     },
     true},
};

TEST_F(RulesTest, Events)
{
    for (const auto& tc : kEventCases) {
        SCOPED_TRACE(tc.name);
        settings = defaultRules();
        tc.settings(settings);
        const CalendarRecord a = sampleEvent();
        CalendarRecord b = a;
        tc.changeSecond(b);
        EXPECT_EQ(EventsEqual(&a, &b, settings), tc.equal);
    }
}

TaskRecord sampleTask()
{
    TaskRecord t{};
    setText(t.Regarding, "Send invoice");
    t.Priority = 1;
    t.DueDate = 39600.0;
    return t;
}

const RuleCase<TaskRecord> kTaskCases[] = {
    {"identical", noSettings, [](TaskRecord&) {}, true},
    {"importance 0 against 1", noSettings, [](TaskRecord& t) { t.Priority = 0; }, false},
    {"importance ignored when off", [](AppSettingsData& s) { s.TaskImportance = false; },
     [](TaskRecord& t) { t.Priority = 0; }, true},
    {"due date", noSettings, [](TaskRecord& t) { t.DueDate += 1; }, false},
    {"details ignored by default", noSettings, [](TaskRecord& t) { setText(t.Details, "x"); }, true},
    {"details count when on", [](AppSettingsData& s) { s.TaskNote = true; },
     [](TaskRecord& t) { setText(t.Details, "x"); }, false},
    {"blanks option reaches tasks", [](AppSettingsData& s) { s.MatchBlanks = true; },
     [](TaskRecord& t) { setText(t.Regarding, "Send  invoice\n"); }, true},
    {"completion and privacy take part in nothing", noSettings,
     [](TaskRecord& t) {
         t.IsCompleted = true;
         t.IsPrivate = true;
     },
     true},
};

TEST_F(RulesTest, Tasks)
{
    for (const auto& tc : kTaskCases) {
        SCOPED_TRACE(tc.name);
        settings = defaultRules();
        tc.settings(settings);
        const TaskRecord a = sampleTask();
        TaskRecord b = a;
        tc.changeSecond(b);
        EXPECT_EQ(TasksEqual(&a, &b, settings), tc.equal);
    }
}

TEST_F(RulesTest, NotesCompareTheWholeTextUnderTheCaseRule)
{
    NoteRecord a{};
    NoteRecord b{};
    setText(a.NoteText, "Call back\r\nabout the offer");
    setText(b.NoteText, "CALL BACK\r\nabout the offer");
    setText(b.CreateUserName, "someone else");
    EXPECT_TRUE(NotesEqual(&a, &b, settings));
    settings.CaseSensitive = true;
    EXPECT_FALSE(NotesEqual(&a, &b, settings));
    settings.CaseSensitive = false;
    setText(b.NoteText, "Call back\r\nabout the offer.");
    EXPECT_FALSE(NotesEqual(&a, &b, settings));
    setText(b.NoteText, "  Call back about\tthe offer\r\n");
    EXPECT_FALSE(NotesEqual(&a, &b, settings));
    settings.MatchBlanks = true;
    EXPECT_TRUE(NotesEqual(&a, &b, settings));
}

TEST_F(RulesTest, CompareText)
{
    struct Case
    {
        const char* a;
        const char* b;
        bool caseSensitive;
        bool equal;
    } const cases[] = {
        {"", "", false, true},        {"", "a", false, false},     {"abc", "ABC", false, true},
        {"abc", "ABC", true, false},  {"a b", "a  b", false, false}, {"[x]", "{X}", false, false},
        {"Zz", "zZ", false, true},    {"abc", "abc ", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        settings.CaseSensitive = c.caseSensitive;
        EXPECT_EQ(CompareText(c.a, c.b, settings) == 0, c.equal);
    }
}

// Each option's canonical form, alone and combined: punctuation goes before blanks collapse, so "a - b"
// is "a b", while "a-b" is "ab"; the blanks count as one space, never as none.
TEST_F(RulesTest, CompareTextAsCanonicalForms)
{
    struct Case
    {
        const char* a;
        const char* b;
        unsigned options;
        bool caseSensitive;
        bool equal;
    } const cases[] = {
        {"Sarah Long ", "Sarah Long", 0, false, false},
        {"Sarah Long ", "Sarah Long", NEAR_BLANKS, false, true},
        {" \tSarah \r\n Long\n", "sarah long", NEAR_BLANKS, false, true},
        {"Sarah Long", "SarahLong", NEAR_BLANKS, false, false},
        {"   ", "", NEAR_BLANKS, false, true},
        {"a\vb", "a b", NEAR_BLANKS, false, false},
        {"David Q. Scott", "David Q Scott", NEAR_PUNCT, false, true},
        {"O'Neil-Smith, Jr.", "ONeilSmith Jr", NEAR_PUNCT, false, true},
        {"Smith-Jones", "Smith Jones", NEAR_PUNCT, false, false},
        {"Smith - Jones", "Smith Jones", NEAR_PUNCT, false, false},
        {"Smith - Jones", "Smith Jones", NEAR_PUNCT | NEAR_BLANKS, false, true},
        {" -Smith- ", "Smith", NEAR_PUNCT | NEAR_BLANKS, false, true},
        {"A.B", "A B", NEAR_PUNCT | NEAR_BLANKS, false, false},
        {"Smith;", "Smith", NEAR_PUNCT, false, false},
        {"(505) 555-6363", "505.555.6363", NEAR_PHONE, false, true},
        {"+1 505 555 6363 ext", "15055556363", NEAR_PHONE | NEAR_BLANKS, true, true},
        {"-", "", NEAR_PHONE, false, true},
        {"5055", "505", NEAR_PHONE, false, false},
        {"\xd9\xa1", "", NEAR_PHONE, false, true}, // only ASCII digits count
        {"SARAH.LONG@X.COM", "sarah.long@x.com", NEAR_EMAIL, true, true},
        {"SARAH.LONG@X.COM", "sarah.long@x.com", NEAR_BLANKS, true, false},
        {"SARAH.LONG@X.COM ", "sarah.long@x.com", NEAR_EMAIL, false, false},
        {"\xc9", "\xe9", NEAR_EMAIL | NEAR_BLANKS, false, false}, // only ASCII letters fold
        {"Ann", "ANN", NEAR_BLANKS, true, false},
        {"Ann", "ANN", NEAR_BLANKS, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b + " options " + std::to_string(c.options));
        settings.CaseSensitive = c.caseSensitive;
        EXPECT_EQ(CompareTextAs(c.a, c.b, c.options, settings) == 0, c.equal);
        EXPECT_EQ(CompareTextAs(c.b, c.a, c.options, settings) == 0, c.equal);
    }
}

// Records equal only through an option hash alike, so the grouping pass can find them; the hash reads
// the same form as the comparison.
TEST_F(RulesTest, RecordsEqualThroughAnOptionHashAlike)
{
    settings.CaseSensitive = true;
    settings.AddrPhone = true;
    settings.MatchBlanks = settings.MatchPunct = settings.MatchPhone = settings.MatchEmail = true;
    const ContactRecord a = sampleContact();
    ContactRecord b = a;
    setText(b.FullName, "  Ada   Love-lace ");
    setText(b.BusinessEmail, "ADA@engines.example");
    setText(b.BusinessPhone, "555 01 00");
    ASSERT_TRUE(ContactsEqual(&a, &b, settings));
    std::uint64_t ha = 0;
    std::uint64_t hb = 1;
    ASSERT_TRUE(HashRecord(ContactRules(), &a, &ha, settings));
    ASSERT_TRUE(HashRecord(ContactRules(), &b, &hb, settings));
    EXPECT_EQ(ha, hb);
}

} // namespace
