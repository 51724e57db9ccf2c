// Writes the golden old-layout model databases kept under tests/data/old/ (regenerate with
// scripts/make_golden_databases.sh): small files of each old layout, made the way the upgrade
// tests make theirs (tests/support/OldModel.h), so that a later change of the store cannot
// silently stop reading them.
//
//   make_old_databases FOLDER
#include "OldModel.h"

#include <cstdio>
#include <exception>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_old_databases FOLDER\n");
        return 2;
    }
    try {
        OldModel::Start();
        const std::filesystem::path folder = argv[1];
        std::filesystem::create_directories(folder);
        const OldModel::Layout region203{0x02540001, 203}, region204{0x02540001, 204},
            set203{0x02540003, 203}, subset203{0x02540004, 203}, subset303{0x02540004, 303},
            subset316{0x02540004, 316};
        struct File {
            const char* name;
            std::vector<OldModel::Layout> layouts;
        };
        // 6 sets of 3 subsets, 4 region pairs and 2 propagating lists in each file.
        for (const File& f : {File{"oldest-203.rdb", {region203, set203, subset203}},
                              File{"regions-204-subsets-303.rdb", {region204, subset303}},
                              File{"subsets-316.rdb", {subset316}}}) {
            const std::string path = (folder / f.name).string();
            std::filesystem::remove(path);
            OldModel::Write(path, f.layouts, 6, 3, 4, 2);
            std::printf("%s\n", path.c_str());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_old_databases: %s\n", e.what());
        return 1;
    }
    return 0;
}
