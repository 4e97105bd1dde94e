#include "GroupingFixture.h"

#include "core/DupGroup.h"
#include "core/DupRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

using namespace grouping_test;

namespace {

class GroupTest : public ::testing::Test
{
protected:
    NoteRecord* note(const std::string& text)
    {
        NoteRecord* n = notes.add();
        setText(n->NoteText, text);
        setText(n->RecordID, "N" + std::to_string(notes.size()));
        return n;
    }

    AppSettingsData settings = defaultRules();
    LoadedKind<NoteRecord> notes;
    CxList dupList;
};

TEST_F(GroupTest, AllEqualKeepsTheFirst)
{
    NoteRecord* a = note("same");
    NoteRecord* b = note("same");
    NoteRecord* c = note("SAME");
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    EXPECT_EQ(listed<NoteRecord>(dupList), (std::vector<NoteRecord*>{b, c}));
    EXPECT_EQ(a->DupFlags & DUP_GROUPED, 0u);
    EXPECT_EQ(b->DupFlags & DUP_GROUPED, DUP_GROUPED);
    EXPECT_EQ(c->DupFlags & DUP_GROUPED, DUP_GROUPED);
}

TEST_F(GroupTest, ReportsTheRecordThatStaysForEachDuplicate)
{
    NoteRecord* a = note("x");
    NoteRecord* b = note("y");
    NoteRecord* c = note("X");
    NoteRecord* d = note("y");
    std::vector<NoteRecord*> kept{a};
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, &kept, settings));
    EXPECT_EQ(listed<NoteRecord>(dupList), (std::vector<NoteRecord*>{c, d}));
    EXPECT_EQ(kept, (std::vector<NoteRecord*>{a, b}));
}

// The groups kept beside the deletion list, and a change of the record that stays.
TEST_F(GroupTest, GroupsFollowTheListAndAnyMemberCanStay)
{
    NoteRecord* a = note("x");
    NoteRecord* b = note("y");
    NoteRecord* c = note("X");
    NoteRecord* d = note("y");
    NoteRecord* e = note("x");
    NoteRecord* alone = note("z");
    std::vector<NoteRecord*> kept;
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, &kept, settings));
    DupGroups groups(&dupList, std::vector<const void*>(kept.begin(), kept.end()));
    using Members = std::vector<const void*>;
    const auto members = [&](const void* r) {
        const auto group = groups.GroupOf(r);
        return Members(group.begin(), group.end());
    };
    ASSERT_EQ(groups.GroupCount(), 2u);
    EXPECT_EQ(members(c), (Members{a, c, e}));
    EXPECT_EQ(members(b), (Members{b, d}));
    EXPECT_TRUE(members(alone).empty());
    EXPECT_EQ(groups.KeptOf(e), a);
    EXPECT_EQ(groups.KeptOf(a), a);
    EXPECT_EQ(groups.KeptOf(alone), nullptr);

    const struct
    {
        const char* name;
        const void* keep;
        const void* previous; // null: nothing changes
        Members group;
    } steps[] = {
        {"the last member", e, a, {e, c, a}},
        {"again in the same group", c, e, {c, e, a}},
        {"the one that stays already", c, nullptr, {c, e, a}},
        {"back to the first", a, c, {a, e, c}},
        {"a record in no group", alone, nullptr, {a, e, c}},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(groups.KeepInstead(step.keep), step.previous) << step.name;
        EXPECT_EQ(members(a), step.group) << step.name;
        for (const void* member : step.group)
            EXPECT_EQ(groups.KeptOf(member), step.group.front()) << step.name;
    }
    EXPECT_EQ(members(d), (Members{b, d})) << "the other group is untouched";
}

TEST_F(GroupTest, OnlyTheLaterEqualRecordIsListed)
{
    note("a");
    note("b");
    NoteRecord* c = note("a");
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    EXPECT_EQ(listed<NoteRecord>(dupList), (std::vector<NoteRecord*>{c}));
}

TEST_F(GroupTest, EmptyKindAndMissingParts)
{
    dupList.Add(&dupList); // left over from an earlier pass
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    EXPECT_EQ(dupList.GetCount(), 0u);
    EXPECT_FALSE(FindDuplicates<NoteRecord>(nullptr, &dupList, nullptr, settings));
    EXPECT_FALSE(FindDuplicates(&notes.manager, nullptr, nullptr, settings));
}

TEST_F(GroupTest, RegroupingDropsAppendedRecordsAndKeepsSelection)
{
    note("x");
    NoteRecord* other = note("y");
    NoteRecord* dup = note("x");
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    dup->DupFlags |= DUP_SELECTED;
    other->DupFlags |= DUP_SELECTED;
    dupList.Add(other); // ticked by hand in the full view
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    EXPECT_EQ(listed<NoteRecord>(dupList), (std::vector<NoteRecord*>{dup}));
    EXPECT_EQ(dup->DupFlags, DUP_GROUPED | DUP_SELECTED);
    EXPECT_EQ(other->DupFlags, DUP_SELECTED);
}

TEST_F(GroupTest, CaseRuleOnlyShrinksTheList)
{
    note("Call");
    note("CALL");
    note("Call");
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    EXPECT_EQ(dupList.GetCount(), 2u);
    settings.CaseSensitive = true;
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    EXPECT_EQ(listed<NoteRecord>(dupList), (std::vector<NoteRecord*>{notes.at(2)}));
}

TEST_F(GroupTest, CollectDuplicatesOfRefusesGroupedAndNull)
{
    NoteRecord* a = note("x");
    NoteRecord* b = note("x");
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    EXPECT_FALSE(CollectDuplicatesOf(&notes.manager, &dupList, b, settings));
    EXPECT_FALSE(CollectDuplicatesOf<NoteRecord>(&notes.manager, &dupList, nullptr, settings));
    EXPECT_EQ(dupList.GetCount(), 1u);
    // Asked again for the record that stays, it lists its duplicates again and puts the cursor back.
    EXPECT_TRUE(CollectDuplicatesOf(&notes.manager, &dupList, a, settings));
    EXPECT_EQ(dupList.GetCount(), 2u);
    EXPECT_EQ(NextRecord(&notes.manager), b);
}

TEST_F(GroupTest, WalkEndsAtAnEntryWithoutRecord)
{
    note("x");
    CommNote orphan{nullptr, 0};
    notes.manager.AddEntry(&orphan);
    note("x"); // behind the orphan: never reached
    ASSERT_TRUE(FindDuplicates(&notes.manager, &dupList, nullptr, settings));
    EXPECT_EQ(dupList.GetCount(), 0u);
    ASSERT_TRUE(FindDuplicatesPairwise(&notes.manager, &dupList, settings));
    EXPECT_EQ(dupList.GetCount(), 0u);
}

// Records that equal nothing (a compared date that is not a number) stay alone in both passes, and
// many of them do not pile up in one bucket.
TEST_F(GroupTest, DatesThatAreNotNumbersMatchNothing)
{
    LoadedKind<TaskRecord> tasks;
    for (int i = 0; i < 3; ++i) {
        TaskRecord* t = tasks.add();
        setText(t->Regarding, "same");
        t->DueDate = std::numeric_limits<double>::quiet_NaN();
    }
    TaskRecord* zero = tasks.add();
    TaskRecord* minusZero = tasks.add();
    setText(zero->Regarding, "z");
    setText(minusZero->Regarding, "z");
    minusZero->DueDate = -0.0;
    ASSERT_TRUE(FindDuplicates(&tasks.manager, &dupList, nullptr, settings));
    EXPECT_EQ(listed<TaskRecord>(dupList), (std::vector<TaskRecord*>{minusZero}));
}

// The rules honour the settings they are passed and nothing else: the same contacts, grouped under
// different settings values, give different groupings, while the program's global settings hold contrary
// values and come out of every pass byte for byte as they went in. A pass that read the global anywhere (a group
// flag, the case rule, an option, in the hash or in the comparison) would group as the global says.
TEST(GroupSettings, PassesGroupUnderTheSettingsTheyAreGivenAndLeaveTheGlobalAlone)
{
    LoadedKind<ContactRecord> contacts;
    const auto contact = [&](const char* fullName, const char* email, const char* company) {
        ContactRecord* c = contacts.add();
        setText(c->FullName, fullName);
        setText(c->FirstName, "Ada");
        setText(c->LastName, "Lovelace");
        setText(c->BusinessEmail, email);
        setText(c->Company, company);
        return c;
    };
    ContactRecord* first = contact("Ada Lovelace", "ada@engines.example", "Engines");
    ContactRecord* capitals = contact("ADA LOVELACE", "ada@engines.example", "Engines");   // the case rule
    ContactRecord* otherEmail = contact("Ada Lovelace", "ada@home.example", "Engines");    // the e-mail flag
    ContactRecord* blanks = contact(" Ada  Lovelace", "ada@engines.example", "Engines");   // the blanks option
    ContactRecord* otherCompany = contact("Ada Lovelace", "ada@engines.example", "Other"); // the company flag

    AppSettingsData strict = defaultRules();
    strict.CaseSensitive = strict.AddrCompanyName = true;
    AppSettingsData caseBlind = defaultRules();
    caseBlind.AddrEmail = false;
    AppSettingsData loose = caseBlind;
    loose.MatchBlanks = true;

    const AppSettingsData saved = AppSettings;
    const struct
    {
        const char* name;
        const AppSettingsData& passed;
        const AppSettingsData& global;
        std::vector<ContactRecord*> listed;
    } passes[] = {
        {"strict, the global loose", strict, loose, {}},
        {"loose, the global strict", loose, strict, {capitals, otherEmail, blanks, otherCompany}},
        {"without options, the global strict", caseBlind, strict, {capitals, otherEmail, otherCompany}},
        {"strict again, the global loose", strict, loose, {}},
    };
    for (const auto& pass : passes) {
        SCOPED_TRACE(pass.name);
        const auto isListed = [&](const ContactRecord* r) {
            return std::find(pass.listed.begin(), pass.listed.end(), r) != pass.listed.end();
        };
        AppSettings = pass.global;
        unsigned char globalBefore[sizeof AppSettings];
        std::memcpy(globalBefore, &AppSettings, sizeof AppSettings);

        CxList fast;
        std::vector<ContactRecord*> kept;
        ASSERT_TRUE(FindDuplicates(&contacts.manager, &fast, &kept, pass.passed));
        EXPECT_EQ(listed<ContactRecord>(fast), pass.listed);
        EXPECT_EQ(kept, std::vector<ContactRecord*>(pass.listed.size(), first));
        for (std::size_t i = 0; i < contacts.size(); ++i)
            EXPECT_EQ((contacts.at(i)->DupFlags & DUP_GROUPED) != 0, isListed(contacts.at(i))) << "record " << i;

        CxList reference;
        ASSERT_TRUE(FindDuplicatesPairwise(&contacts.manager, &reference, pass.passed));
        EXPECT_EQ(listed<ContactRecord>(reference), pass.listed);

        for (ContactRecord* other : {capitals, otherEmail, blanks, otherCompany}) {
            EXPECT_EQ(ContactsEqual(first, other, pass.passed), isListed(other));
            EXPECT_EQ(RecordsMatch<ContactRecord>(first, other, pass.passed), isListed(other));
        }
        EXPECT_EQ(std::memcmp(globalBefore, &AppSettings, sizeof AppSettings), 0);
    }
    AppSettings = saved;
}

// --- The fast pass against the pairwise reference -------------------------------------------------

// Texts drawn from a small pool, so that prefixes and variants collide often: in case, in blanks, in
// punctuation and as phone numbers written in other ways.
std::string pick(std::mt19937& rng)
{
    static const char* const pool[] = {
        "",         "Ann",     "ann",   "ANN",     "Ann ",   " Ann",  "An n",      "A-nn",  "An.n", "Anne",
        "Bo",       "bo",      "Bo Li", "bo  li",  "Bo\tLi", "Bo-Li", "Bo - Li",   "b",     " ",    "-",
        "5-5",      "55",      "(5) 5", "5.5 ",    "a@X.c",  "A@x.C", "a@x.c\r\n", "O'Bo",  "OBo",  "O Bo",
    };
    return pool[rng() % std::size(pool)];
}

double pickDate(std::mt19937& rng)
{
    static const double pool[] = {0.0, 39512.0, 39512.5, 39512.5 + 1.0 / 86400, 40000.25};
    return pool[rng() % std::size(pool)];
}

bool coin(std::mt19937& rng)
{
    return rng() % 2 == 0;
}

void randomFlags(AppSettingsData& s, std::mt19937& rng)
{
    for (bool AppSettingsData::*flag :
         {&AppSettingsData::CaseSensitive, &AppSettingsData::AddrDisplayName, &AppSettingsData::AddrFirstName,
          &AppSettingsData::AddrMiddleName, &AppSettingsData::AddrLastName, &AppSettingsData::AddrCompanyName,
          &AppSettingsData::AddrDepartment, &AppSettingsData::AddrTitle, &AppSettingsData::AddrEmail,
          &AppSettingsData::AddrPhone, &AppSettingsData::AddrAddress, &AppSettingsData::AddrIM,
          &AppSettingsData::AddrWebSite, &AppSettingsData::DateSubject, &AppSettingsData::DateLocation,
          &AppSettingsData::DateStartTime, &AppSettingsData::DateEndTime, &AppSettingsData::DateAllDayEvent,
          &AppSettingsData::DateRecur, &AppSettingsData::DateNote, &AppSettingsData::TaskSubject,
          &AppSettingsData::TaskImportance, &AppSettingsData::TaskDueDate, &AppSettingsData::TaskNote,
          &AppSettingsData::MatchBlanks, &AppSettingsData::MatchPunct, &AppSettingsData::MatchPhone,
          &AppSettingsData::MatchEmail})
        s.*flag = coin(rng);
}

void fill(ContactRecord& c, std::mt19937& rng)
{
    setText(c.FullName, pick(rng));
    setText(c.FirstName, pick(rng));
    setText(c.LastName, pick(rng));
    setText(c.Company, pick(rng));
    setText(c.Title, pick(rng));
    setText(c.BusinessEmail, pick(rng));
    setText(c.PersonalEmail, pick(rng));
    setText(c.HomePhone, pick(rng));
    setText(c.Pager, pick(rng));
    setText(c.HomePostal, pick(rng));
    setText(c.Website, pick(rng));
}

void fill(CalendarRecord& e, std::mt19937& rng)
{
    setText(e.Regarding, pick(rng));
    setText(e.Location, pick(rng));
    setText(e.Details, pick(rng));
    e.StartTime = pickDate(rng);
    e.EndTime = pickDate(rng);
    e.RecurType = static_cast<std::int32_t>(rng() % 2);
    e.RecurEndDate = pickDate(rng);
    e.IsTimeless = coin(rng);
}

void fill(TaskRecord& t, std::mt19937& rng)
{
    setText(t.Regarding, pick(rng));
    setText(t.Details, pick(rng));
    t.Priority = static_cast<std::int32_t>(rng() % 3);
    t.DueDate = pickDate(rng);
}

void fill(NoteRecord& n, std::mt19937& rng)
{
    setText(n.NoteText, pick(rng) + "\r\n" + pick(rng));
}

// A variant of a text that the case rule or an option may still take for the same, or not.
std::string variant(std::string text, std::mt19937& rng)
{
    const std::size_t at = rng() % (text.size() + 1);
    switch (rng() % 6) {
    case 0:
        return text + " ";
    case 1:
        return "\t" + text;
    case 2:
        return text.insert(at, coin(rng) ? "-" : ".");
    case 3:
        return text.insert(at, coin(rng) ? " " : "\r\n");
    case 4:
        for (char& c : text)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return text;
    default:
        return text.insert(at, "7");
    }
}

const RuleTable& rulesFor(const ContactRecord*) { return ContactRules(); }
const RuleTable& rulesFor(const CalendarRecord*) { return EventRules(); }
const RuleTable& rulesFor(const TaskRecord*) { return TaskRules(); }
const RuleTable& rulesFor(const NoteRecord*) { return NoteRules(); }

// Changes one text that some rule compares into a variant of itself.
template <class Record>
void changeOneComparedText(Record& r, std::mt19937& rng)
{
    std::vector<std::size_t> offsets;
    const RuleTable& rules = rulesFor(&r);
    for (std::size_t g = 0; g < rules.count; ++g)
        for (std::size_t i = 0; i < rules.groups[g].count; ++i)
            if (rules.groups[g].fields[i].type == FieldType::Text)
                offsets.push_back(rules.groups[g].fields[i].offset);
    const FieldDesc field{"", FieldType::Text, offsets[rng() % offsets.size()], 0};
    SetRecordText(&r, field, testutil::keep(variant(RecordText(&r, field), rng)));
}

template <class Record>
void expectSameAsPairwise(std::uint32_t seed)
{
    std::mt19937 rng(seed);
    LoadedKind<Record> kind;
    const int count = 50 + static_cast<int>(rng() % 300);
    for (int i = 0; i < count; ++i) {
        Record* r = kind.add();
        if (i > 0 && rng() % 3 == 0) {
            // A copy of an earlier record: unchanged, with variants of some compared texts, or drawn anew.
            Record* earlier = kind.at(rng() % i);
            auto* entry = r->pEntry;
            *r = *earlier;
            r->pEntry = entry;
            r->DupFlags = 0;
            switch (rng() % 3) {
            case 0:
                fill(*r, rng);
                break;
            case 1:
                for (int changes = 1 + static_cast<int>(rng() % 2); changes > 0; --changes)
                    changeOneComparedText(*r, rng);
                break;
            }
        } else {
            fill(*r, rng);
        }
        if (rng() % 5 == 0)
            r->DupFlags = DUP_SELECTED;
    }

    AppSettingsData settings{};
    for (int round = 0; round < 4; ++round) {
        randomFlags(settings, rng);
        CxList fast;
        CxList reference;
        ASSERT_TRUE(FindDuplicatesPairwise(&kind.manager, &reference, settings));
        std::vector<std::uint32_t> referenceFlags;
        for (std::size_t i = 0; i < kind.size(); ++i)
            referenceFlags.push_back(kind.at(i)->DupFlags);
        ASSERT_TRUE(FindDuplicates(&kind.manager, &fast, nullptr, settings));
        ASSERT_EQ(listed<Record>(fast), listed<Record>(reference)) << "seed " << seed << " round " << round;
        for (std::size_t i = 0; i < kind.size(); ++i)
            ASSERT_EQ(kind.at(i)->DupFlags, referenceFlags[i]) << "record " << i;
    }
}

TEST(GroupDifferential, FastPassGivesThePairwiseResult)
{
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        expectSameAsPairwise<ContactRecord>(seed);
        expectSameAsPairwise<CalendarRecord>(seed);
        expectSameAsPairwise<TaskRecord>(seed);
        expectSameAsPairwise<NoteRecord>(seed);
    }
}

} // namespace
