// libFuzzer target: any bytes, taken as a model database file, are either read through or
// refused with the framework's exception. Crashes, sanitizer reports, other exceptions, leaks
// and hangs are what the fuzzer looks for.
//
//   open_database_seeds CORPUS          # a few valid model databases to start from
//   open_database_fuzz -max_total_time=60 CORPUS
#include "StoreWalk.h"
#include "nex_Exception.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// One scratch file per fuzzing process, rewritten for every input.
const std::string& scratchPath() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("rgn-fuzz-" + std::to_string(::getpid()) + ".db"))
                                        .string();
    return path;
}

void writeInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
}

// Removes the scratch file and what SQLite may leave beside it: an input whose header says
// "write-ahead log" makes even a read-only open create the log, which would then be replayed
// into the next input.
void removeScratch() {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((scratchPath() + suffix).c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StoreWalk::RegisterProbe();
    scratchPath(); // built before the handler is registered, so destroyed after it has run
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = scratchPath();
    removeScratch();
    writeInput(path, data, size);
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
