// Reading and writing the data files at loaded sizes. First synthetic contacts, the same in every version of
// this benchmark, for the read and write times; then each kind as a demo database holds it, delivered by the
// kind's stand-in helper, for what the loaded records cost in memory against the size of their file.
//
// Counters: file_MiB, the data file; ms_per_MiB, the time per MiB of file; memory_per_record, the memory
// the first read adds to the process per record (records, texts and manager entries, as pages in use);
// memory_per_file, that memory against the file's size.

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "misc/CxFile.h"
#include "misc/CxTextArena.h"

#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <type_traits>

namespace {

// A fresh folder for the exchange files and the demo databases, removed with them at the end.
struct BenchFolder
{
    BenchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "velloran-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        path = pattern + "/";
    }
    ~BenchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string path;
};

const std::string& benchFolder()
{
    static BenchFolder folder;
    return folder.path;
}

// The bytes of memory the process has in use now.
double residentBytes()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

// A text of the record being made, kept in `texts` until the record is written.
const char* text(CxTextArena& texts, const char* format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return texts.Add(buffer, length < 0 ? 0 : std::strlen(buffer));
}

// A contact as a CRM holds it: names, a company, one address, phones and mail filled, the rest empty.
void fillContact(ContactRecord& c, CxTextArena& texts, long i)
{
    c = ContactRecord{};
    texts.Clear();
    c.RecordID = text(texts, "{%08lx-4a1c-4e0b-9d7e-%012lx}", i, i * 7919);
    c.FirstName = text(texts, "First%ld", i % 997);
    c.LastName = text(texts, "Last%ld", i % 9973);
    c.FullName = text(texts, "First%ld Last%ld", i % 997, i % 9973);
    c.Company = text(texts, "Company %ld Ltd", i % 5003);
    c.Title = "Manager";
    c.BusinessAddress1 = text(texts, "%ld Long Street", i % 300);
    c.BusinessCity = "Springfield";
    c.BusinessPostal = text(texts, "%05ld", i % 99999);
    c.BusinessPhone = text(texts, "+1 555 %07ld", i);
    c.MobilePhone = text(texts, "+1 555 %07ld", i + 1);
    c.BusinessEmail = text(texts, "first%ld.last%ld@example.com", i % 997, i % 9973);
    c.RecordCreator = "Chris";
    c.IsPrivate = (i % 3) == 0;
    c.CreateDate = 39814.5 + static_cast<double>(i % 4000);
    c.EditDate = c.CreateDate + 1;
}

// The data file of n synthetic contacts, written once per size.
const std::string& contactFile(long n)
{
    static std::map<long, std::string> files;
    auto found = files.find(n);
    if (found != files.end())
        return found->second;
    const std::string name = "contacts-" + std::to_string(n) + ".dat";
    CxFile file;
    if (!file.Open((benchFolder() + name).c_str(), "wb"))
        std::abort();
    file.WriteInt(static_cast<std::int32_t>(n));
    ContactRecord contact;
    CxTextArena texts;
    for (long i = 0; i < n; ++i) {
        fillContact(contact, texts, i);
        WriteFields(file, ContactFields(), &contact);
    }
    file.Close();
    return files.emplace(n, name).first->second;
}

long long fileBytes(const std::string& name)
{
    return CxFile::GetFileSize((benchFolder() + name).c_str());
}

// Reads the file into an emptied utility; the read's time.
template <class Util> bool timedRead(Util& util, const std::string& name, double& seconds)
{
    util.Clear();
    const auto start = std::chrono::steady_clock::now();
    const bool read = util.ReadDataFile(name.c_str());
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return read;
}

void setCounters(benchmark::State& state, long long records, long long bytes, double secondsPerIteration, double memory)
{
    const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.SetItemsProcessed(state.iterations() * records);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file_MiB"] = mib;
    state.counters["ms_per_MiB"] = secondsPerIteration * 1000.0 / mib;
    if (memory > 0) {
        state.counters["memory_per_record"] = memory / static_cast<double>(records);
        state.counters["memory_per_file"] = memory / static_cast<double>(bytes);
    }
}

void BM_ReadContacts(benchmark::State& state)
{
    const long n = state.range(0);
    const std::string& name = contactFile(n);
    CxACTAddrUtil util;
    util.SetWorkFolder(benchFolder().c_str());
    // The memory of the first read, into memory the process never had before.
    const double before = residentBytes();
    if (!util.ReadDataFile(name.c_str()))
        state.SkipWithError("read failed");
    const double memory = residentBytes() - before;
    double total = 0;
    for (auto _ : state) {
        double seconds = 0;
        if (!timedRead(util, name, seconds) || util.GetRecordCount() != static_cast<std::uint32_t>(n))
            state.SkipWithError("read failed");
        state.SetIterationTime(seconds);
        total += seconds;
    }
    setCounters(state, n, fileBytes(name), total / static_cast<double>(state.iterations()), memory);
}

void BM_WriteContacts(benchmark::State& state)
{
    const long n = state.range(0);
    const std::string& name = contactFile(n);
    CxACTAddrUtil util;
    util.SetWorkFolder(benchFolder().c_str());
    if (!util.ReadDataFile(name.c_str()))
        state.SkipWithError("read failed");
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!util.WriteDataFile("written.dat"))
            state.SkipWithError("write failed");
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    setCounters(state, n, fileBytes(name), seconds / static_cast<double>(state.iterations()), 0);
}

BENCHMARK(BM_ReadContacts)->Arg(100000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteContacts)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadContacts)->Arg(1000000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteContacts)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The kinds in the order of the demo tool's options.
const char* const kKindOptions[] = {"--contacts", "--events", "--tasks", "--notes"};

// A demo database with n records of one kind (0 contacts, 1 calendar, 2 tasks, 3 notes) and nothing else,
// made once per kind and size; its PAD file.
std::string demoDatabase(int kind, long n)
{
    const std::string pad = benchFolder() + "demo-" + std::to_string(kind) + "-" + std::to_string(n) + "/Bench.pad";
    if (std::filesystem::exists(pad))
        return pad;
    std::string command = std::string("\"") + VELLORAN_DEMO_DB_TOOL + "\" --pad \"" + pad + "\"";
    for (int k = 0; k < 4; ++k)
        command += std::string(" ") + kKindOptions[k] + " " + (k == kind ? std::to_string(n) : "0");
    command += " > /dev/null";
    const int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the demo database tool failed\n");
        std::abort();
    }
    return pad;
}

// Each kind as the program loads it: the helper delivers the data file, which is then read again and
// again. Tasks include the opportunities and their notes, as the settings have it by default.
template <class Util> void readKind(benchmark::State& state, int kind)
{
    const long n = state.range(0);
    Util util;
    const std::string work = benchFolder() + "work-" + std::to_string(kind) + "/";
    std::filesystem::create_directories(work);
    util.SetWorkFolder(work.c_str());
    util.SetPadName(demoDatabase(kind, n).c_str());
    util.SetUserName("Demo");
    util.SetPassword("demo");
    if constexpr (std::is_same_v<Util, CxACTTaskUtil>) {
        util.SetOpp(true);
        util.SetOppNotes(true);
    }
    const double before = residentBytes();
    if (!util.Load()) {
        state.SkipWithError(util.GetFailureText().c_str());
        return;
    }
    const double memory = residentBytes() - before;
    const std::string name = util.GetDataFileName();
    const long long records = util.GetRecordCount();
    double total = 0;
    for (auto _ : state) {
        double seconds = 0;
        if (!timedRead(util, name, seconds))
            state.SkipWithError("read failed");
        state.SetIterationTime(seconds);
        total += seconds;
    }
    setCounters(state, records, CxFile::GetFileSize((work + name).c_str()),
                total / static_cast<double>(state.iterations()), memory);
}

void BM_DemoContacts(benchmark::State& state)
{
    readKind<CxACTAddrUtil>(state, 0);
}
void BM_DemoCalendar(benchmark::State& state)
{
    readKind<CxACTDateUtil>(state, 1);
}
void BM_DemoTasks(benchmark::State& state)
{
    readKind<CxACTTaskUtil>(state, 2);
}
void BM_DemoNotes(benchmark::State& state)
{
    readKind<CxACTNoteUtil>(state, 3);
}

BENCHMARK(BM_DemoContacts)->Arg(200000)->Arg(1000000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoCalendar)->Arg(200000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoTasks)->Arg(200000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DemoNotes)->Arg(200000)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
