// libFuzzer target over the module's own readers: any bytes, taken as a model database file,
// are read through the module's classes (sets, subsets, regions, region pairs and arrays of
// them, propagating region lists, set-data lists and paths; every stored entry fetched, every
// path resolved), and either read through or refused with the framework's exception.
//
//   module_readers_seeds CORPUS         # valid files holding each of those
//   module_readers_fuzz -max_total_time=60 CORPUS
#include "ModuleWalk.h"
#include "ScratchFile.h"
#include "ddr_Ddb.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ModuleWalk::Start();
    ScratchFile::RemoveAtExit();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = ScratchFile::Write(data, size);
    try {
        ddr_Ddb db(cow_String(ModuleWalk::kDdbName), path, ddr_Ddb::Mode::ReadOnly);
        // Each root on its own, so that one refused root does not hide the others.
        for (const cow_String& name : db.RootNames()) {
            try {
                ModuleWalk::ReadRoot(db, name, 0);
            } catch (const nex_Exception&) {
            }
        }
    } catch (const nex_Exception&) {
    }
    return 0;
}
