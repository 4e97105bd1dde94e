#pragma once

// What a helper run is told through its parameter file: a 32-bit entry count, then per entry a
// 32-bit identifier, the type 8 and a length-prefixed text.

#include <map>
#include <string>

namespace helper {

enum ParamId
{
    kParamPad = 1000,
    kParamUser = 1001,
    kParamPassword = 1002,
    kParamDataFile = 1003,
    kParamWorkFolder = 1004,
    kParamRunMode = 1005,
    kParamErrorFile = 1006,
    kParamStatusFile = 1007,
    kParamOpp = 1008,
    kParamOppNotes = 1009,
    kParamDebugFolder = 1012,
    kParamReserved = 1013,
    kParamLogLevel = 1014,
    kParamDebugOn = 1015,
};

enum class RunMode
{
    Load = 1,
    Submit = 2,
};

struct HelperParams
{
    std::string padPath;
    std::string user;
    std::string password;
    std::string dataFile;
    std::string workFolder; // ends in the path separator
    RunMode mode = RunMode::Load;
    std::string errorFile;
    std::string statusFile;
    bool opp = false;
    bool oppNotes = false;
    std::string debugFolder;
    int logLevel = 3;
    bool debugOn = false;
};

// Reads every entry. False with a message when the file cannot be opened, ends early, or holds an
// entry that is not a text.
bool ReadParamFile(const std::string& path, std::map<int, std::string>& entries, std::string& error);

// Takes the run's settings from the entries. `params` must hold the fallbacks for the work folder
// and the file names; whatever could be taken is kept even on failure, so that an error can still
// be reported where the program looks for it. False with a message when a required entry is missing
// or a value makes no sense.
bool TakeParams(const std::map<int, std::string>& entries, HelperParams& params, std::string& error);

} // namespace helper
