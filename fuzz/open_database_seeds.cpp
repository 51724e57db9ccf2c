// Writes a few valid model databases into a folder, as the starting corpus of
// open_database_fuzz. The framework writes 64 KiB pages; the seeds are copies of its files in
// small pages (1 KiB, and 512 bytes, SQLite's least), still model databases, so that inputs
// stay small and a mutation more often lands in a structure than in free space.
//
//   open_database_seeds CORPUS
#include "SeedFile.h"
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
        SeedFile::Compact(scratch, (folder / "probes-1k.db").string(), 1024);
        SeedFile::Compact(scratch, (folder / "probes-512.db").string(), 512);
        std::filesystem::remove(scratch);
        writeLongLists(scratch);
        SeedFile::Compact(scratch, (folder / "long-lists-1k.db").string(), 1024);
        std::filesystem::remove(scratch);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "open_database_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
