#include "HelperParams.h"

#include "misc/CxFile.h"
#include "platform/Platform.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace helper {

namespace {

constexpr std::int32_t kTypeText = 8;
// The program writes a few dozen entries at most, each cut to 1023 characters.
constexpr std::int32_t kMaxEntries = 256;
constexpr std::size_t kMaxText = 4096;

bool IsPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos;
}

} // namespace

bool ReadParamFile(const std::string& path, std::map<int, std::string>& entries, std::string& error)
{
    entries.clear();
    CxFile file;
    if (!file.Open(path.c_str(), "rb")) {
        error = "Cannot open parameter file: " + path;
        return false;
    }
    const std::string damaged = "Parameter file is damaged: " + path;
    std::int32_t count = 0;
    if (!file.ReadInt(&count) || count < 0 || count > kMaxEntries) {
        error = damaged;
        return false;
    }
    std::vector<char> text(kMaxText + 1);
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t id = 0;
        std::int32_t type = 0;
        std::int32_t length = 0;
        text.assign(text.size(), '\0');
        if (!file.ReadInt(&id) || !file.ReadInt(&type) || type != kTypeText ||
            !file.ReadString(text.data(), text.size(), &length) || length < 0 ||
            static_cast<std::size_t>(length) > kMaxText) {
            error = damaged;
            return false;
        }
        entries[id] = std::string(text.data(), static_cast<std::size_t>(length));
    }
    return true;
}

bool TakeParams(const std::map<int, std::string>& entries, HelperParams& params, std::string& error)
{
    auto find = [&](int id) -> const std::string* {
        auto it = entries.find(id);
        return it == entries.end() ? nullptr : &it->second;
    };

    // The places to report to come first, so that every later failure can be reported there.
    if (const std::string* folder = find(kParamWorkFolder); folder && !folder->empty()) {
        params.workFolder = platform::pathFromLocalText(*folder);
        if (!platform::isPathSeparator(params.workFolder.back()))
            params.workFolder += platform::kPathSeparator;
    }
    if (const std::string* name = find(kParamErrorFile); name && IsPlainFileName(*name))
        params.errorFile = *name;

    const int required[] = {kParamPad,        kParamUser,    kParamPassword,  kParamDataFile,
                            kParamWorkFolder, kParamRunMode, kParamErrorFile, kParamStatusFile};
    for (int id : required) {
        if (!find(id)) {
            error = "Parameter " + std::to_string(id) + " is missing.";
            return false;
        }
    }
    if (find(kParamWorkFolder)->empty()) {
        error = "The work folder (parameter 1004) is empty.";
        return false;
    }
    // Exchange files are names inside the work folder, never paths elsewhere.
    const int names[] = {kParamDataFile, kParamErrorFile, kParamStatusFile};
    for (int id : names) {
        if (!IsPlainFileName(*find(id))) {
            error = "Parameter " + std::to_string(id) + " is not a file name: " + *find(id);
            return false;
        }
    }

    params.padPath = platform::pathFromLocalText(*find(kParamPad));
    params.user = *find(kParamUser);
    params.password = *find(kParamPassword);
    params.dataFile = *find(kParamDataFile);
    params.statusFile = *find(kParamStatusFile);

    const std::string& mode = *find(kParamRunMode);
    if (mode == "1") {
        params.mode = RunMode::Load;
    } else if (mode == "2") {
        params.mode = RunMode::Submit;
    } else {
        error = "Unknown run mode: " + mode;
        return false;
    }

    params.opp = find(kParamOpp) && *find(kParamOpp) == "1";
    params.oppNotes = find(kParamOppNotes) && *find(kParamOppNotes) == "1";
    if (const std::string* folder = find(kParamDebugFolder))
        params.debugFolder = platform::pathFromLocalText(*folder);
    if (const std::string* level = find(kParamLogLevel))
        params.logLevel = std::atoi(level->c_str());
    params.debugOn = find(kParamDebugOn) && *find(kParamDebugOn) == "1";
    return true;
}

} // namespace helper
