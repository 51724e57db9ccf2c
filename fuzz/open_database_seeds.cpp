// Writes a few valid model databases into a folder, as the starting corpus of
// open_database_fuzz. The framework writes 64 KiB pages; the seeds are copies of its files in
// small pages (1 KiB, and 512 bytes, SQLite's least), still model databases, so that inputs
// stay small and a mutation more often lands in a structure than in free space.
//
//   open_database_seeds CORPUS
#include "StoreWalk.h"
#include "ddr_Ddb.h"
#include "nex_Exception.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using StoreWalk::ProbeMap;

Probe probe(int n, int ids, int names) {
    Probe p(n, ("probe " + std::to_string(n)).c_str(),
            n % 2 ? res_SetTypeEnm::SURFACE_EDGE : res_SetTypeEnm::NODE_SET);
    p.flag = n % 3 == 0;
    for (int i = 0; i < ids; ++i)
        p.ids.Append(n * 1000 + i);
    for (int i = 0; i < names; ++i)
        p.names.Append(cow_String("name " + std::to_string(i)));
    return p;
}

void writeProbes(const std::string& path) {
    ddr_Ddb db(cow_String("seed"), path, ddr_Ddb::Mode::Create);
    ProbeMap map;
    for (int k = 0; k < 6; ++k)
        map.Insert(k * 7 - 10, probe(k, k * 3, k % 3));
    db.StoreRoot(cow_String("probes"), map);
    db.StoreRoot(cow_String("single"), probe(42, 5, 2));
}

// Lists long enough to run over several pages.
void writeLongLists(const std::string& path) {
    ddr_Ddb db(cow_String("seed"), path, ddr_Ddb::Mode::Create);
    ProbeMap map;
    map.Insert(1, probe(1, 3000, 40));
    db.StoreRoot(cow_String("long"), map);
    db.StoreRoot(cow_String("empty"), ProbeMap());
}

// The same content in pages of `pageSize` bytes; the copy is still a model database.
void compact(const std::string& from, const std::string& to, int pageSize) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    const std::string sql = "PRAGMA page_size = " + std::to_string(pageSize) + "; VACUUM;";
    sqlite3* handle = nullptr;
    const bool done = sqlite3_open(to.c_str(), &handle) == SQLITE_OK &&
                      sqlite3_exec(handle, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(handle);
    if (!done)
        throw std::runtime_error("cannot compact " + to);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: open_database_seeds FOLDER\n");
        return 2;
    }
    StoreWalk::RegisterProbe();
    const std::filesystem::path folder(argv[1]);
    const std::string scratch = (folder / "framework.tmp").string();
    try {
        std::filesystem::create_directories(folder);
        writeProbes(scratch);
        compact(scratch, (folder / "probes-1k.db").string(), 1024);
        compact(scratch, (folder / "probes-512.db").string(), 512);
        std::filesystem::remove(scratch);
        writeLongLists(scratch);
        compact(scratch, (folder / "long-lists-1k.db").string(), 1024);
        std::filesystem::remove(scratch);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "open_database_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
