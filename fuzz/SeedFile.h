// What the seed programs share: a model database copied into another page size, so that the
// fuzzer starts from files whose records fall on page boundaries in more than one way.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>

namespace SeedFile {

// The same content in pages of `pageSize` bytes; the copy is still a model database.
inline void Compact(const std::string& from, const std::string& to, int pageSize) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    const std::string sql = "PRAGMA page_size = " + std::to_string(pageSize) + "; VACUUM;";
    sqlite3* handle = nullptr;
    const bool done = sqlite3_open(to.c_str(), &handle) == SQLITE_OK &&
                      sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(handle);
    if (!done)
        throw std::runtime_error("cannot compact " + to);
}

} // namespace SeedFile
