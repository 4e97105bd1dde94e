#pragma once

// The demo database: realistic records of the four kinds with a chosen share of duplicates, the
// same for the same seed. Every duplicate comes after its original; the ones that the default
// duplicate rules must find are listed in expected_duplicates with the original they repeat.

#include "HelperDb.h"

#include <cstdint>
#include <string>

namespace helper {

struct DemoOptions
{
    std::string padPath;
    // Rows per kind, in the order of kAllKinds.
    std::uint32_t counts[4] = {500, 200, 200, 300};
    std::uint32_t dupPercent = 10;
    std::uint64_t seed = 1;
    std::string user = "Demo";
    std::string password = "demo";
};

struct DemoSummary
{
    std::string databasePath;
    std::uint32_t rows[4] = {};
    std::uint32_t duplicates[4] = {};
    std::uint32_t nearCopies[4] = {};
    std::uint32_t opportunities = 0;
    std::uint32_t opportunityNotes = 0;
};

// False with a message for a bad command line; `help` is set for --help.
bool ParseDemoArgs(int argc, char** argv, DemoOptions& options, bool& help, std::string& error);
const char* DemoUsage();

// Builds the database beside the PAD file (replacing an existing one only once the new one is
// complete), then writes the PAD file.
bool CreateDemoDatabase(const DemoOptions& options, DemoSummary& summary, std::string& error);

} // namespace helper
