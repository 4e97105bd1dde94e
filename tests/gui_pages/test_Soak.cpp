// Many load, review and delete cycles in one wizard: what a cycle takes it gives back. Memory, open
// files and helper processes stay flat once the first cycles have filled Qt's caches.

#include "PagesFixture.h"

#include "core/Apputil.h"

#include <QLabel>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <string>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define VELLORAN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELLORAN_ASAN 1
#endif
#endif

namespace pagetest {
namespace {

constexpr int kCycles = 50;
constexpr int kWarmUp = 10;
// Samples over which the start and the end of the run are taken, so one noisy cycle decides nothing.
constexpr int kWindow = 5;

struct Sample
{
    long long heap = 0; // bytes in use by malloc
    long long resident = 0;
    int descriptors = 0;
    int children = 0; // processes whose parent we are, zombies included
};

int CountEntries(const char* folder, bool (*keep)(const std::string& name))
{
    int count = 0;
    if (DIR* dir = ::opendir(folder)) {
        while (dirent* entry = ::readdir(dir))
            count += entry->d_name[0] != '.' && keep(entry->d_name) ? 1 : 0;
        ::closedir(dir);
    }
    return count;
}

bool IsOurChild(const std::string& name)
{
    if (name.find_first_not_of("0123456789") != std::string::npos)
        return false;
    std::ifstream statFile("/proc/" + name + "/stat");
    std::string stat;
    std::getline(statFile, stat);
    const std::size_t close = stat.rfind(')');
    char state = 0;
    int parent = 0;
    return close != std::string::npos && std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
           parent == ::getpid();
}

Sample Take()
{
    Sample s;
    s.heap = static_cast<long long>(mallinfo2().uordblks);
    long long pages = 0;
    long long residentPages = 0;
    std::ifstream("/proc/self/statm") >> pages >> residentPages;
    s.resident = residentPages * ::sysconf(_SC_PAGESIZE);
    // The descriptor of the listing itself is counted in every sample alike.
    s.descriptors = CountEntries("/proc/self/fd", [](const std::string&) { return true; });
    s.children = CountEntries("/proc", IsOurChild);
    return s;
}

template <class Field> long long Highest(const std::vector<Sample>& samples, int from, Field field)
{
    long long best = 0;
    for (int i = from; i < from + kWindow; ++i)
        best = std::max(best, static_cast<long long>(samples[static_cast<std::size_t>(i)].*field));
    return best;
}

template <class Field> long long Lowest(const std::vector<Sample>& samples, int from, Field field)
{
    long long best = samples[static_cast<std::size_t>(from)].*field;
    for (int i = from; i < from + kWindow; ++i)
        best = std::min(best, static_cast<long long>(samples[static_cast<std::size_t>(i)].*field));
    return best;
}

class Soak : public PagesTest
{
};

TEST_F(Soak, FiftyCyclesLeaveMemoryFilesAndProcessesFlat)
{
    const std::string padPath = home.file("Documents/ACT/Demo/Databases/Demo.pad");
    QProcess tool;
    tool.start(QStringLiteral(VELLORAN_DEMO_DB_TOOL),
               {QStringLiteral("--pad"), QString::fromStdString(padPath), QStringLiteral("--contacts"),
                QStringLiteral("40"), QStringLiteral("--events"), QStringLiteral("20"), QStringLiteral("--tasks"),
                QStringLiteral("20"), QStringLiteral("--notes"), QStringLiteral("20"), QStringLiteral("--dup-percent"),
                QStringLiteral("25")});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const std::string database = std::filesystem::path(padPath).replace_extension(".sqlite").string();
    const std::string pristine = home.file("pristine.sqlite");
    std::filesystem::copy_file(database, pristine);

    // Two kinds: each cycle waits a fixed pause per kind, and every kind runs the same code.
    const int kinds = KIND_ADDR | KIND_NOTE;
    std::vector<Sample> samples;
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        // Every cycle finds the same duplicates to delete.
        std::filesystem::copy_file(pristine, database, std::filesystem::copy_options::overwrite_existing);
        ASSERT_TRUE(LoadDatabase(padPath, kinds));
        ASSERT_FALSE(ListedIds(TfmACTData::kAddr).empty());
        RunCleaning();
        const QString log = LogText();
        ASSERT_TRUE(log.contains(QStringLiteral("Deletion succeeded."))) << log.toStdString();
        ASSERT_FALSE(log.contains(QStringLiteral("Deletion failed."))) << log.toStdString();
        QTest::mouseClick(Child<QLabel>(Clean(), "lblBack"), Qt::LeftButton);
        ASSERT_EQ(main->GetCurrentPage(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        samples.push_back(Take());
        EXPECT_EQ(samples.back().children, 0) << "a helper process was left behind";
    }

    const int start = kWarmUp;
    const int end = kCycles - kWindow;
    const Sample& first = samples[static_cast<std::size_t>(start)];
    const Sample& last = samples.back();
    std::printf("After cycle %d and %d: heap %lld and %lld bytes, resident %lld and %lld bytes, %d and %d "
                "descriptors\n",
                start + 1, kCycles, first.heap, last.heap, first.resident, last.resident, first.descriptors,
                last.descriptors);
    EXPECT_LE(Lowest(samples, end, &Sample::descriptors), Highest(samples, start, &Sample::descriptors))
        << "open descriptors grew";
#ifndef VELLORAN_ASAN
    // A load's records and texts alone are tens of kilobytes, their blocks megabytes: a cycle that kept
    // either would pass these bounds within the forty cycles after the warm-up.
    EXPECT_LE(Lowest(samples, end, &Sample::heap) - Highest(samples, start, &Sample::heap), 256 * 1024)
        << "heap in use grew";
    EXPECT_LE(Lowest(samples, end, &Sample::resident) - Highest(samples, start, &Sample::resident),
              8 * 1024 * 1024)
        << "resident memory grew";
#endif
}

} // namespace
} // namespace pagetest
