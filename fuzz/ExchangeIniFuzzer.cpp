// The run-state file and the error file as a data utility reads them: the input is both. The error file
// gives the helper's last error when it counts one; a run-state file that says the helper runs gets a
// Stop request that reads back as such.

#include "FuzzSupport.h"

#include "ACT/CxACTAddr.h"
#include "misc/CxIniUtil.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& folder = fuzz::WorkFolder();
    CxACTAddrUtil util;
    util.SetWorkFolder(folder.c_str());
    fuzz::WriteInput(util.GetErrorFileName(), data, size);
    fuzz::WriteInput(util.GetRunStateFileName(), data, size);

    CxIniUtil errorFile(folder.c_str(), util.GetErrorFileName());
    const bool counted = errorFile.ReadInt("Error", "Error.Count", 0) > 0;
    util.ReadErrorFile();
    FUZZ_CHECK(util.HasError() == counted);
    if (!counted)
        FUZZ_CHECK(util.GetErrorText()[0] == '\0');

    CxIniUtil runState(folder.c_str(), util.GetRunStateFileName());
    const bool running = runState.ReadInt("Status", "Running", 0) != 0;
    util.RequestHelperStop();
    if (running)
        FUZZ_CHECK(runState.ReadInt("Status", "Stop", 0) == 1);
    return 0;
}
