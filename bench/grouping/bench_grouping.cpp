// The grouping pass on loaded-size kinds: the linear pass at up to a million records, and the pairwise
// reference beside it where it still finishes. Then what a deletion does with its result: the groups
// rebuilt for the question and the backup, and the backup itself.

#include "ACT/ACTRecords.h"
#include "core/Apputil.h"
#include "ACT/CommMgr.h"
#include "core/DeletionBackup.h"
#include "core/DupGroup.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void useDefaultRules()
{
    AppSettingsData& s = AppSettings;
    s.CaseSensitive = false;
    s.AddrDisplayName = s.AddrFirstName = s.AddrMiddleName = s.AddrLastName = s.AddrEmail = true;
    s.DateSubject = s.DateStartTime = s.DateEndTime = s.DateAllDayEvent = true;
    s.TaskSubject = s.TaskImportance = s.TaskDueDate = true;
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

// Records of a kind held as the data utilities hold them: one block per record, an entry per record.
template <class Record>
struct Kind
{
    using Manager = CommEntryMgr<CommEntry<Record>>;

    explicit Kind(std::size_t n)
    {
        records.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            // Zeroed by hand, as the loader clears every record before reading it, so that no page is
            // first touched inside the measured pass.
            auto* r = static_cast<Record*>(std::malloc(sizeof(Record)));
            std::memset(static_cast<void*>(r), 0, sizeof(Record));
            CommEntry<Record> entry{r, 0};
            r->pEntry = manager.AddEntry(&entry);
            records.push_back(r);
        }
    }
    ~Kind()
    {
        manager.RemoveAllEntries();
        for (Record* r : records)
            std::free(r);
    }

    Manager manager;
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
            std::memcpy(c->FullName, original->FullName, sizeof c->FullName);
            std::memcpy(c->FirstName, original->FirstName, sizeof c->FirstName);
            std::memcpy(c->LastName, original->LastName, sizeof c->LastName);
            std::memcpy(c->BusinessEmail, original->BusinessEmail, sizeof c->BusinessEmail);
            if (next(rng) % 2)
                for (char* p = c->FullName; *p; ++p)
                    *p = static_cast<char>(*p >= 'a' && *p <= 'z' ? *p - 32 : *p);
            continue;
        }
        const char* first = kFirst[next(rng) % std::size(kFirst)];
        const char* last = kLast[next(rng) % std::size(kLast)];
        std::snprintf(c->FirstName, sizeof c->FirstName, "%s", first);
        std::snprintf(c->LastName, sizeof c->LastName, "%s", last);
        std::snprintf(c->FullName, sizeof c->FullName, "%s %s", first, last);
        std::snprintf(c->BusinessEmail, sizeof c->BusinessEmail, "%s.%s.%zu@example.com", first, last, i);
    }
}

// Notes of a few hundred characters, many sharing long prefixes.
void fillNotes(Kind<NoteRecord>& kind)
{
    std::uint64_t rng = 2;
    const std::size_t n = kind.records.size();
    for (std::size_t i = 0; i < n; ++i) {
        NoteRecord* note = kind.records[i];
        if (i > 10 && next(rng) % 10 == 0) {
            std::memcpy(note->NoteText, kind.records[next(rng) % i]->NoteText, 512);
            continue;
        }
        std::snprintf(note->NoteText, 512,
                      "Called %s %s about the renewal of the service contract.\r\nThey asked for a quote on the "
                      "extended support plan and a visit next month. Follow up with the account manager before "
                      "the end of the quarter; reference %zu.\r\nSent the brochure by e-mail.",
                      kFirst[next(rng) % std::size(kFirst)], kLast[next(rng) % std::size(kLast)], i);
    }
}

void BM_FindDuplicatesContacts(benchmark::State& state)
{
    useDefaultRules();
    Kind<ContactRecord> kind(static_cast<std::size_t>(state.range(0)));
    fillContacts(kind);
    CxList list;
    for (auto _ : state)
        FindDuplicates(&kind.manager, &list);
    state.counters["duplicates"] = list.GetCount();
}
BENCHMARK(BM_FindDuplicatesContacts)->Arg(20000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FindDuplicatesNotes(benchmark::State& state)
{
    useDefaultRules();
    Kind<NoteRecord> kind(static_cast<std::size_t>(state.range(0)));
    fillNotes(kind);
    CxList list;
    for (auto _ : state)
        FindDuplicates(&kind.manager, &list);
    state.counters["duplicates"] = list.GetCount();
}
BENCHMARK(BM_FindDuplicatesNotes)->Arg(20000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_PairwiseContacts(benchmark::State& state)
{
    useDefaultRules();
    Kind<ContactRecord> kind(static_cast<std::size_t>(state.range(0)));
    fillContacts(kind);
    CxList list;
    for (auto _ : state)
        FindDuplicatesPairwise(&kind.manager, &list);
    state.counters["duplicates"] = list.GetCount();
}
BENCHMARK(BM_PairwiseContacts)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Contacts after the grouping pass, with the record that stays for each duplicate.
struct GroupedContacts
{
    explicit GroupedContacts(std::size_t n) : kind(n)
    {
        useDefaultRules();
        fillContacts(kind);
        FindDuplicates(&kind.manager, &list, &kept);
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
