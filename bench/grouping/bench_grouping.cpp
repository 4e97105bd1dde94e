// The grouping pass on loaded-size kinds: the linear pass at up to a million records, and the pairwise
// reference beside it where it still finishes. Then what a deletion does with its result: the groups
// rebuilt for the question and the backup, and the backup itself.

#include "ACT/ACTRecords.h"
#include "core/Apputil.h"
#include "ACT/CommMgr.h"
#include "core/DeletionBackup.h"
#include "core/DupGroup.h"
#include "misc/CxChunkStore.h"
#include "misc/CxTextArena.h"

#include <benchmark/benchmark.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

AppSettingsData defaultRules()
{
    AppSettingsData s{};
    s.CaseSensitive = false;
    s.AddrDisplayName = s.AddrFirstName = s.AddrMiddleName = s.AddrLastName = s.AddrEmail = true;
    s.DateSubject = s.DateStartTime = s.DateEndTime = s.DateAllDayEvent = true;
    s.TaskSubject = s.TaskImportance = s.TaskDueDate = true;
    return s;
}

std::uint64_t next(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

const char* const kFirst[] = {"Ada", "Grace", "Alan", "Edsger", "Barbara", "Donald", "Frances", "Ken", "Niklaus",
                              "Margaret", "John", "Radia", "Tim", "Sophie", "Linus", "Hedy"};
const char* const kLast[] = {"Lovelace", "Hopper", "Turing", "Dijkstra", "Liskov", "Knuth", "Allen", "Thompson",
                             "Wirth", "Hamilton", "Backus", "Perlman", "Berners-Lee", "Wilson", "Torvalds", "Lamarr"};

// Records of a kind held as the data utilities hold them: in chunks, their texts in an arena, an entry per
// record.
template <class Record>
struct Kind
{
    using Manager = CommEntryMgr<CommEntry<Record>>;

    explicit Kind(std::size_t n)
    {
        records.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            Record* r = store.Add();
            CommEntry<Record> entry{r, 0};
            r->pEntry = manager.AddEntry(&entry);
            records.push_back(r);
        }
    }

    // A text of a record, kept with the kind's texts.
    const char* text(const char* format, ...)
    {
        char buffer[1024];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        return texts.Add(buffer, std::strlen(buffer));
    }

    Manager manager;
    CxChunkStore<Record> store;
    CxTextArena texts;
    std::vector<Record*> records;
};

// About one contact in ten is a copy of an earlier one, some of them in other letter case.
void fillContacts(Kind<ContactRecord>& kind)
{
    std::uint64_t rng = 1;
    const std::size_t n = kind.records.size();
    for (std::size_t i = 0; i < n; ++i) {
        ContactRecord* c = kind.records[i];
        if (i > 10 && next(rng) % 10 == 0) {
            const ContactRecord* original = kind.records[next(rng) % i];
            // Copies, as a loaded file holds them.
            c->FullName = kind.text("%s", original->FullName);
            c->FirstName = kind.text("%s", original->FirstName);
            c->LastName = kind.text("%s", original->LastName);
            c->BusinessEmail = kind.text("%s", original->BusinessEmail);
            if (next(rng) % 2) {
                std::string upper = c->FullName;
                for (char& ch : upper)
                    ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
                c->FullName = kind.texts.Add(upper.data(), upper.size());
            }
            continue;
        }
        const char* first = kFirst[next(rng) % std::size(kFirst)];
        const char* last = kLast[next(rng) % std::size(kLast)];
        c->FirstName = kind.text("%s", first);
        c->LastName = kind.text("%s", last);
        c->FullName = kind.text("%s %s", first, last);
        c->BusinessEmail = kind.text("%s.%s.%zu@example.com", first, last, i);
    }
}

// Contacts as a CRM import leaves them: with phones and companies, and about one in ten a copy of an
// earlier contact written another way (blanks, punctuation, phone format, e-mail case), which only the
// "Also count as equal" options find.
void fillNearContacts(Kind<ContactRecord>& kind)
{
    std::uint64_t rng = 3;
    const std::size_t n = kind.records.size();
    for (std::size_t i = 0; i < n; ++i) {
        ContactRecord* c = kind.records[i];
        if (i > 10 && next(rng) % 10 == 0) {
            const ContactRecord* original = kind.records[next(rng) % i];
            c->FirstName = kind.text("%s", original->FirstName);
            c->LastName = kind.text("%s", original->LastName);
            c->FullName = kind.text(" %s ", original->FullName);
            c->Company = kind.text("%s.", original->Company);
            std::string email = original->BusinessEmail;
            for (char& ch : email)
                ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
            c->BusinessEmail = kind.texts.Add(email.data(), email.size());
            // (505) 555-6363 as 505.555.6363.
            std::string digits;
            for (const char* p = original->BusinessPhone; *p; ++p)
                if (*p >= '0' && *p <= '9')
                    digits += *p;
            c->BusinessPhone = kind.text("%.3s.%.3s.%s", digits.c_str(), digits.c_str() + 3, digits.c_str() + 6);
            continue;
        }
        const char* first = kFirst[next(rng) % std::size(kFirst)];
        const char* last = kLast[next(rng) % std::size(kLast)];
        c->FirstName = kind.text("%s", first);
        c->LastName = kind.text("%s", last);
        c->FullName = kind.text("%s %s", first, last);
        c->Company = kind.text("%s-%s, Inc", last, kFirst[next(rng) % std::size(kFirst)]);
        c->BusinessEmail = kind.text("%s.%s.%zu@example.com", first, last, i);
        c->BusinessPhone = kind.text("(%03u) %03u-%04u", static_cast<unsigned>(200 + next(rng) % 800),
                                     static_cast<unsigned>(next(rng) % 1000), static_cast<unsigned>(next(rng) % 10000));
    }
}

// Every option on (range 1) or off (range 0), with the phone and company rules too, so that each option
// has fields to work on: the two show what the options themselves cost.
void BM_FindDuplicatesContactsAllOptions(benchmark::State& state)
{
    AppSettingsData settings = defaultRules();
    settings.AddrPhone = settings.AddrCompanyName = true;
    settings.MatchBlanks = settings.MatchPunct = settings.MatchPhone = settings.MatchEmail = state.range(1) != 0;
    Kind<ContactRecord> kind(static_cast<std::size_t>(state.range(0)));
    fillNearContacts(kind);
    CxList list;
    for (auto _ : state)
        FindDuplicates(&kind.manager, &list, nullptr, settings);
    state.counters["duplicates"] = list.GetCount();
}
BENCHMARK(BM_FindDuplicatesContactsAllOptions)
    ->ArgNames({"records", "options"})
    ->Args({100000, 1})
    ->Args({1000000, 1})
    ->Args({1000000, 0})
    ->Unit(benchmark::kMillisecond);

// Notes of a few hundred characters, many sharing long prefixes.
void fillNotes(Kind<NoteRecord>& kind)
{
    std::uint64_t rng = 2;
    const std::size_t n = kind.records.size();
    for (std::size_t i = 0; i < n; ++i) {
        NoteRecord* note = kind.records[i];
        if (i > 10 && next(rng) % 10 == 0) {
            note->NoteText = kind.text("%s", kind.records[next(rng) % i]->NoteText);
            continue;
        }
        note->NoteText =
            kind.text("Called %s %s about the renewal of the service contract.\r\nThey asked for a quote on the "
                      "extended support plan and a visit next month. Follow up with the account manager before "
                      "the end of the quarter; reference %zu.\r\nSent the brochure by e-mail.",
                      kFirst[next(rng) % std::size(kFirst)], kLast[next(rng) % std::size(kLast)], i);
    }
}

void BM_FindDuplicatesContacts(benchmark::State& state)
{
    const AppSettingsData settings = defaultRules();
    Kind<ContactRecord> kind(static_cast<std::size_t>(state.range(0)));
    fillContacts(kind);
    CxList list;
    for (auto _ : state)
        FindDuplicates(&kind.manager, &list, nullptr, settings);
    state.counters["duplicates"] = list.GetCount();
}
BENCHMARK(BM_FindDuplicatesContacts)->Arg(20000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FindDuplicatesNotes(benchmark::State& state)
{
    const AppSettingsData settings = defaultRules();
    Kind<NoteRecord> kind(static_cast<std::size_t>(state.range(0)));
    fillNotes(kind);
    CxList list;
    for (auto _ : state)
        FindDuplicates(&kind.manager, &list, nullptr, settings);
    state.counters["duplicates"] = list.GetCount();
}
BENCHMARK(BM_FindDuplicatesNotes)->Arg(20000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_PairwiseContacts(benchmark::State& state)
{
    const AppSettingsData settings = defaultRules();
    Kind<ContactRecord> kind(static_cast<std::size_t>(state.range(0)));
    fillContacts(kind);
    CxList list;
    for (auto _ : state)
        FindDuplicatesPairwise(&kind.manager, &list, settings);
    state.counters["duplicates"] = list.GetCount();
}
BENCHMARK(BM_PairwiseContacts)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Contacts after the grouping pass, with the record that stays for each duplicate.
struct GroupedContacts
{
    explicit GroupedContacts(std::size_t n) : kind(n)
    {
        fillContacts(kind);
        FindDuplicates(&kind.manager, &list, &kept, defaultRules());
    }

    Kind<ContactRecord> kind;
    CxList list;
    std::vector<ContactRecord*> kept;
};

void BM_DupGroupsContacts(benchmark::State& state)
{
    GroupedContacts grouped(static_cast<std::size_t>(state.range(0)));
    const std::vector<const void*> kept(grouped.kept.begin(), grouped.kept.end());
    for (auto _ : state) {
        DupGroups groups(&grouped.list, kept);
        benchmark::DoNotOptimize(groups.GroupCount());
    }
    state.counters["duplicates"] = grouped.list.GetCount();
}
BENCHMARK(BM_DupGroupsContacts)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// Every duplicate of the contacts backed up: its CSV line with every field, and its line in deletions.csv.
void BM_BackupContacts(benchmark::State& state)
{
    GroupedContacts grouped(static_cast<std::size_t>(state.range(0)));
    BackupKind contacts{"contacts", &ContactFields(), {}};
    std::size_t i = 0;
    for (void* r = grouped.list.GetFirst(); r; r = grouped.list.GetNext(), ++i)
        contacts.records.push_back({r, grouped.kept[i]});
    const std::string root = (std::filesystem::temp_directory_path() / "velloran-bench-backups").string();
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        DeletionBackup backup;
        std::string error;
        if (!backup.Create(root, error) || !backup.WriteRecords({contacts}, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        bytes = std::filesystem::file_size(backup.Folder() + "contacts.csv");
        state.PauseTiming();
        std::filesystem::remove_all(backup.Folder());
        state.ResumeTiming();
    }
    std::filesystem::remove_all(root);
    state.counters["records"] = static_cast<double>(contacts.records.size());
    state.counters["csv_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_BackupContacts)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
