// A data file of one kind as the program reads it after a load run. Built once per kind; VELLORAN_FUZZ_KIND
// names the kind's data utility.
//
// Every input is read by a utility of its own, destroyed afterwards, so that a record, text or entry the
// reader loses shows as a leak. A file that reads must also survive being written back and read again
// with the same number of records: that is what a submit hands to the helper.

#include "FuzzSupport.h"

#include "ACT/CxACTAddr.h"
#include "ACT/CxACTDate.h"
#include "ACT/CxACTNote.h"
#include "ACT/CxACTTask.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& folder = fuzz::WorkFolder();
    VELLORAN_FUZZ_KIND util;
    fuzz::WriteInput(util.GetDataFileName(), data, size);
    util.SetWorkFolder(folder.c_str());
    if (!util.ReadDataFile()) {
        FUZZ_CHECK(util.GetRecordCount() == 0);
        FUZZ_CHECK(util.GetManager()->GetEntryCount() == 0);
        return 0;
    }
    const std::uint32_t count = util.GetRecordCount();
    FUZZ_CHECK(util.GetManager()->GetEntryCount() == count);
    FUZZ_CHECK(util.WriteDataFile("written.dat"));

    VELLORAN_FUZZ_KIND again;
    again.SetWorkFolder(folder.c_str());
    FUZZ_CHECK(again.ReadDataFile("written.dat"));
    FUZZ_CHECK(again.GetRecordCount() == count);
    return 0;
}
