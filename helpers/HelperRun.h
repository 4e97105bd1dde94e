#pragma once

#include "HelperDb.h"

namespace helper {

// Exit codes of a helper. The program does not read them; they are for people and tests.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;   // reported in the error file
constexpr int kExitBadInput = 2; // command line or parameter file unusable
constexpr int kExitStopped = 3;  // ended early on request

// Test hook: when this environment variable names a file, a run waits after it has marked itself
// running until that file exists (at most a minute), so a test can ask it to stop at a known point.
constexpr const char* kHoldEnv = "VELLORAN_HELPER_TEST_HOLD";

// The whole helper program of a kind: argv[1] is the parameter file's full path.
int HelperMain(Kind kind, int argc, char** argv);

} // namespace helper
