// The stand-in helpers' reader of the parameter file. Whatever it takes must also be what the program's
// own writer says: entries it read are written again with CxACTParamParser and must read back the same
// (for values the program can write: no zero byte, at most 1023 characters).

#include "FuzzSupport.h"

#include "ACT/CxACTParamParser.h"
#include "HelperParams.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = fuzz::WriteInput("param.dat", data, size);
    std::map<int, std::string> entries;
    std::string error;
    if (!helper::ReadParamFile(path, entries, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    helper::HelperParams params;
    params.workFolder = fuzz::WorkFolder();
    params.errorFile = "ACTAddrErr.dat";
    if (!helper::TakeParams(entries, params, error))
        FUZZ_CHECK(!error.empty());

    CxACTParamParser parser;
    std::map<int, std::string> writable;
    for (const auto& [id, value] : entries) {
        if (value.find('\0') != std::string::npos || value.size() > CxACTParamParser::kMaxValue)
            continue;
        FUZZ_CHECK(parser.SetParam(id, PARAM_TYPE_TEXT, value.c_str()));
        writable[id] = value;
    }
    const std::string again = fuzz::WorkFolder() + "param-again.dat";
    FUZZ_CHECK(parser.WriteParamFile(again.c_str()));
    std::map<int, std::string> reread;
    FUZZ_CHECK(helper::ReadParamFile(again, reread, error));
    FUZZ_CHECK(reread == writable);
    return 0;
}
