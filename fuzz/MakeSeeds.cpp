// Makes the seed corpora of the fuzz targets from real runs: a small demo database, loaded kind by kind
// through the stand-in helpers, gives the data files, the parameter files, the run-state files and the
// progress files; a load with a wrong password gives an error file; the settings file is the program's
// own. Run from the fuzz build (the helpers lie beside it): velloran-fuzz-seeds fuzz/seeds

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"
#include "DemoDb.h"
#include "core/Apputil.h"
#include "misc/CxDebugUtil.h"
#include "platform/Platform.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

bool Copy(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) {
        std::fprintf(stderr, "cannot copy %s to %s\n", from.c_str(), to.c_str());
        return false;
    }
    return true;
}

std::string Content(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteSeed(const fs::path& path, const std::string& content)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary);
    out << content;
    return static_cast<bool>(out.flush());
}

// One load of the kind; copies what it left in the work folder under the kind's name.
bool Load(CxACTBaseUtil& util, const std::string& work, const std::string& pad, const char* password,
          const fs::path& seeds, const std::string& fuzzer)
{
    util.SetWorkFolder(work.c_str());
    util.SetPadName(pad.c_str());
    util.SetUserName("Demo");
    util.SetPassword(password);
    util.SetDebugFolder(work.c_str());
    const bool loaded = util.Load();
    const std::string name = util.GetDataFileName();
    if (!loaded) {
        return Copy(work + util.GetErrorFileName(), seeds / "exchange_ini" / util.GetErrorFileName()) &&
               WriteSeed(seeds / "profile_string" / util.GetErrorFileName(),
                         std::string("Error\nError.Count\n2\n") + Content(work + util.GetErrorFileName()));
    }
    return Copy(work + name, seeds / fuzzer / name) &&
           Copy(work + util.GetParamFileName(), seeds / "helper_params" / util.GetParamFileName()) &&
           Copy(work + util.GetStatusFileName(), seeds / "progress_file" / util.GetStatusFileName()) &&
           Copy(work + util.GetRunStateFileName(), seeds / "exchange_ini" / util.GetRunStateFileName()) &&
           WriteSeed(seeds / "profile_string" / util.GetRunStateFileName(),
                     std::string("Status\nStop\n1\n") + Content(work + util.GetRunStateFileName()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: velloran-fuzz-seeds SEED-FOLDER\n");
        return 2;
    }
    const fs::path seeds = argv[1];
    std::string temp;
    if (!platform::createPrivateTempFolder("velloran-seeds-", temp))
        return 1;
    const std::string work = temp + platform::kPathSeparator;
    DebugLog.SetFolder(work.c_str());

    helper::DemoOptions options;
    options.padPath = work + "Seeds.pad";
    options.counts[0] = 4;
    options.counts[1] = 3;
    options.counts[2] = 3;
    options.counts[3] = 3;
    options.dupPercent = 34;
    helper::DemoSummary summary;
    std::string error;
    if (!helper::CreateDemoDatabase(options, summary, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    bool ok = true;
    {
        CxACTAddrUtil addr;
        CxACTDateUtil date;
        CxACTTaskUtil task;
        CxACTNoteUtil note;
        task.SetOpp(true);
        task.SetOppNotes(true);
        ok = Load(addr, work, options.padPath, "demo", seeds, "data_addr") &&
             Load(date, work, options.padPath, "demo", seeds, "data_date") &&
             Load(task, work, options.padPath, "demo", seeds, "data_task") &&
             Load(note, work, options.padPath, "demo", seeds, "data_note");
    }
    {
        CxACTAddrUtil refused;
        ok = ok && Load(refused, work, options.padPath, "wrong", seeds, "data_addr");
    }

    SettingsFile.SetPath((work + kSettingsFileName).c_str());
    SaveSettings();
    ok = ok && WriteSeed(seeds / "profile_string" / kSettingsFileName,
                         std::string("Velloran\nPadName\n/home/demo/Documents/ACT/Demo/Databases/Demo.pad\n") +
                             Content(work + kSettingsFileName));

    std::error_code ec;
    fs::remove_all(temp, ec);
    return ok ? 0 : 1;
}
