// The file a fuzz target writes each input into, one per process: SQLite reads model databases
// from files only. Removed with whatever SQLite left beside it before every input and at exit.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace ScratchFile {

inline const std::string& Path() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("rgn-fuzz-" + std::to_string(::getpid()) + ".db"))
                                        .string();
    return path;
}

// An input whose header says "write-ahead log" makes even a read-only open create the log,
// which would then be replayed into the next input.
inline void Remove() {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        std::remove((Path() + suffix).c_str());
}

// Called from LLVMFuzzerInitialize: the path is built before the exit handler is registered,
// so it is destroyed after the handler has run.
inline void RemoveAtExit() {
    Path();
    std::atexit(Remove);
}

inline const std::string& Write(const std::uint8_t* data, std::size_t size) {
    Remove();
    std::FILE* f = std::fopen(Path().c_str(), "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(Path().c_str());
        std::abort();
    }
    return Path();
}

} // namespace ScratchFile
