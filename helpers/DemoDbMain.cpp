#include "DemoDb.h"
#include "platform/Platform.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    platform::restrictLibrarySearch();
    std::vector<std::string> arguments = platform::programArguments(argc, argv);
    std::vector<char*> pointers = platform::argumentPointers(arguments);
    helper::DemoOptions options;
    bool help = false;
    std::string error;
    if (!helper::ParseDemoArgs(static_cast<int>(arguments.size()), pointers.data(), options, help, error)) {
        std::fprintf(stderr, "velloran-demo-db: %s\n%s", error.c_str(), helper::DemoUsage());
        return 2;
    }
    if (help) {
        std::fputs(helper::DemoUsage(), stdout);
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    helper::DemoSummary summary;
    if (!helper::CreateDemoDatabase(options, summary, error)) {
        std::fprintf(stderr, "velloran-demo-db: %s\n", error.c_str());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("Created %s in %.1f s\n", summary.databasePath.c_str(), seconds);
    for (int k = 0; k < 4; ++k) {
        const helper::KindInfo& info = helper::InfoOf(helper::kAllKinds[k]);
        std::printf("  %-9s %9u rows, %7u duplicates, %6u near copies\n", info.table, summary.rows[k],
                    summary.duplicates[k], summary.nearCopies[k]);
    }
    std::printf("  tasks include %u opportunities and %u opportunity notes\n", summary.opportunities,
                summary.opportunityNotes);
    std::printf("PAD file: %s (user \"%s\")\n", options.padPath.c_str(), options.user.c_str());
    return 0;
}
