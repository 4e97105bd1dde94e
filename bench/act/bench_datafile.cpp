// Reading and writing the contact data file at loaded sizes: time, and peak memory against the bare
// size of the records.

#include "ACT/CxACTAddr.h"
#include "misc/CxFile.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

namespace {

// A fresh folder for the exchange files, removed with them at the end.
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

double peakRssMiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A contact as a CRM holds it: names, a company, one address, phones and mail filled, the rest empty.
void fillContact(ContactRecord& c, long i)
{
    std::memset(static_cast<void*>(&c), 0, sizeof c);
    std::snprintf(c.RecordID, sizeof c.RecordID, "{%08lx-4a1c-4e0b-9d7e-%012lx}", i, i * 7919);
    std::snprintf(c.FirstName, sizeof c.FirstName, "First%ld", i % 997);
    std::snprintf(c.LastName, sizeof c.LastName, "Last%ld", i % 9973);
    std::snprintf(c.FullName, sizeof c.FullName, "First%ld Last%ld", i % 997, i % 9973);
    std::snprintf(c.Company, sizeof c.Company, "Company %ld Ltd", i % 5003);
    std::snprintf(c.Title, sizeof c.Title, "Manager");
    std::snprintf(c.BusinessAddress1, sizeof c.BusinessAddress1, "%ld Long Street", i % 300);
    std::snprintf(c.BusinessCity, sizeof c.BusinessCity, "Springfield");
    std::snprintf(c.BusinessPostal, sizeof c.BusinessPostal, "%05ld", i % 99999);
    std::snprintf(c.BusinessPhone, sizeof c.BusinessPhone, "+1 555 %07ld", i);
    std::snprintf(c.MobilePhone, sizeof c.MobilePhone, "+1 555 %07ld", i + 1);
    std::snprintf(c.BusinessEmail, sizeof c.BusinessEmail, "first%ld.last%ld@example.com", i % 997, i % 9973);
    std::snprintf(c.RecordCreator, sizeof c.RecordCreator, "Chris");
    c.IsPrivate = (i % 3) == 0;
    c.CreateDate = 39814.5 + static_cast<double>(i % 4000);
    c.EditDate = c.CreateDate + 1;
}

// The data file of n contacts, written once per size.
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
    auto contact = std::make_unique<ContactRecord>();
    for (long i = 0; i < n; ++i) {
        fillContact(*contact, i);
        WriteFields(file, ContactFields(), contact.get());
    }
    file.Close();
    return files.emplace(n, name).first->second;
}

void setCounters(benchmark::State& state, long n, const std::string& name)
{
    const long long bytes = CxFile::GetFileSize((benchFolder() + name).c_str());
    state.SetItemsProcessed(state.iterations() * n);
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file_MiB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["peak_rss_MiB"] = peakRssMiB();
    state.counters["records_MiB"] = static_cast<double>(sizeof(ContactRecord)) * n / (1024.0 * 1024.0);
}

void BM_ReadContacts(benchmark::State& state)
{
    const long n = state.range(0);
    const std::string& name = contactFile(n);
    CxACTAddrUtil util;
    util.SetWorkFolder(benchFolder().c_str());
    for (auto _ : state) {
        if (!util.ReadDataFile(name.c_str()) || util.GetRecordCount() != static_cast<std::uint32_t>(n))
            state.SkipWithError("read failed");
        state.PauseTiming();
        util.Clear();
        state.ResumeTiming();
    }
    setCounters(state, n, name);
}

void BM_WriteContacts(benchmark::State& state)
{
    const long n = state.range(0);
    const std::string& name = contactFile(n);
    CxACTAddrUtil util;
    util.SetWorkFolder(benchFolder().c_str());
    if (!util.ReadDataFile(name.c_str()))
        state.SkipWithError("read failed");
    for (auto _ : state) {
        if (!util.WriteDataFile("written.dat"))
            state.SkipWithError("write failed");
    }
    setCounters(state, n, name);
}

BENCHMARK(BM_ReadContacts)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteContacts)->Arg(100000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadContacts)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteContacts)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
