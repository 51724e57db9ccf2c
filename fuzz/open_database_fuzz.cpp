// libFuzzer target: any bytes, taken as a model database file, are either read through or
// refused with the framework's exception. Crashes, sanitizer reports, other exceptions, leaks
// and hangs are what the fuzzer looks for.
//
//   open_database_seeds CORPUS          # a few valid model databases to start from
//   open_database_fuzz -max_total_time=60 CORPUS
#include "ScratchFile.h"
#include "StoreWalk.h"
#include "ddr_Ddb.h"
#include "nex_Exception.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StoreWalk::RegisterProbe();
    ScratchFile::RemoveAtExit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = ScratchFile::Write(data, size);
    try {
        ddr_Ddb db(cow_String("fuzz"), path, ddr_Ddb::Mode::ReadOnly);
        // Each root on its own, so that one refused root does not hide the others.
        for (const cow_String& name : db.RootNames()) {
            try {
                StoreWalk::ReadRoot(db, name, 0);
            } catch (const nex_Exception&) {
            }
        }
    } catch (const nex_Exception&) {
    }
    return 0;
}
