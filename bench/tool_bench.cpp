// The rgn tool against the programs a user would otherwise run, each a child process timed
// from start to exit, with its memory peak (its maximum resident set).
//
// Tool.Import   `rgn import` of a Gmsh mesh of 1.06e6 elements (a 100 x 100 x 100 block of
//               hexahedra and its boundary quadrangles, MSH 4.1 binary, four physical groups)
//               against `gmsh - in.msh -save -o out.msh`, which reads the same file and writes it
//               back: the cheapest full pass the mesh's own program makes over it.
// Tool.Export   `rgn export` of a model database of 1e4 node sets (100 ids each) against a
//               program writing the same sets directly with the Exodus II library (one bulk
//               ex_put_sets call and the names, in the same file format as the tool writes).
//
// The mesh is made once per run by the gmsh binary (about 30 s, untimed). Files go to a fresh
// folder under RGN_BENCH_TMP or the temp folder.
#include "BenchRatios.h"

#include "ddr_Ddb.h"
#include "rgnC_Module.h"
#include "rgnC_Paths.h"

#include <benchmark/benchmark.h>
#ifdef RGN_BENCH_HAVE_EXODUS
#include <exodusII.h>
#endif

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kNodeSets = 10'000;
constexpr int kIdsPerSet = 100;

// A fresh folder for the benchmark files, made on first use and removed at exit.
class BenchFolder {
public:
    static const std::filesystem::path& Path() {
        static const BenchFolder folder;
        return folder.path_;
    }

private:
    BenchFolder() {
        const char* chosen = std::getenv("RGN_BENCH_TMP");
        std::string pattern =
            ((chosen ? std::filesystem::path(chosen) : std::filesystem::temp_directory_path()) /
             "rgn-tool-bench-XXXXXX")
                .string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a folder for the tool benchmarks");
        path_ = pattern;
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::filesystem::path path_;
};

const std::filesystem::path& folder() {
    return BenchFolder::Path();
}

struct Finished {
    double seconds;
    long peakKiB;
};

// Runs a program to its end with its output thrown away. The program runs under /usr/bin/time,
// which reports its memory peak: a child started straight from this process would count this
// process's own peak as its own (the kernel carries the peak across fork and exec).
Finished runChild(std::vector<std::string> args) {
    const std::string peakFile = (folder() / "peak.txt").string();
    args.insert(args.begin(), {"/usr/bin/time", "-f", "%M", "-o", peakFile});
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + args[0]);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(args[6] + " " + args[7] + " failed");
    long peakKiB = 0;
    std::ifstream(peakFile) >> peakKiB;
    return {seconds, peakKiB};
}

const std::string& bigMesh() {
    static const std::string mesh = [] {
        const std::string geo = (folder() / "block.geo").string();
        std::ofstream(geo) << R"(Point(1) = {0, 0, 0}; Point(2) = {1, 0, 0};
Point(3) = {1, 1, 0}; Point(4) = {0, 1, 0};
Line(1) = {1, 2}; Line(2) = {2, 3}; Line(3) = {3, 4}; Line(4) = {4, 1};
Curve Loop(1) = {1, 2, 3, 4}; Plane Surface(1) = {1};
Transfinite Curve{1, 2, 3, 4} = 101; Transfinite Surface{1}; Recombine Surface{1};
out[] = Extrude{0, 0, 1}{ Surface{1}; Layers{100}; Recombine; };
Physical Volume("solid") = {out[1]};
Physical Surface("bottom") = {1};
Physical Surface("top") = {out[0]};
Physical Surface("sides") = {out[2], out[3], out[4], out[5]};
)";
        const std::string msh = (folder() / "block.msh").string();
        runChild({"gmsh", geo, "-3", "-format", "msh41", "-bin", "-o", msh});
        return msh;
    }();
    return mesh;
}

void report(benchmark::State& state, const Finished& f) {
    state.SetIterationTime(f.seconds);
    state.counters["peak_MiB"] = static_cast<double>(f.peakKiB) / 1024.0;
}

void importWithTool(benchmark::State& state) {
    const std::string mesh = bigMesh();
    const std::string db = (folder() / "block.db").string();
    for (auto _ : state)
        report(state, runChild({RGN_TOOL_PATH, "import", mesh, db, "--force"}));
}

void readAndWriteWithGmsh(benchmark::State& state) {
    const std::string mesh = bigMesh();
    const std::string out = (folder() / "block-out.msh").string();
    for (auto _ : state)
        report(state, runChild({"gmsh", "-", mesh, "-save", "-o", out}));
}

// Node set s holds ids s*37 + 7*i: spread out and overlapping, as boundary sets do.
std::vector<int> nodeSetIds(int s) {
    std::vector<int> ids(kIdsPerSet);
    for (int i = 0; i < kIdsPerSet; ++i)
        ids[i] = 1 + s * 37 + 7 * i;
    return ids;
}

const std::string& nodeSetDatabase() {
    static const std::string db = [] {
        static int count = 0;
        rgnC_initialize(count);
        const std::string path = (folder() / "nodesets.db").string();
        ddr_Ddb model(cow_String("bench_nodesets"), path, ddr_Ddb::Mode::Create);
        rgnC_SetDataMap sets;
        for (int s = 0; s < kNodeSets; ++s) {
            rgnC_SetData set(s, cow_String("NSET-" + std::to_string(s)), res_SetTypeEnm::NODE_SET,
                             false, false);
            cow_1DArrayList<int> ids;
            for (int id : nodeSetIds(s))
                ids.Append(id);
            set.AddSubset(0, 0, ids, static_cast<res_SetTypeEnm>(7), false, {});
            sets.Insert(s, set);
        }
        model.StoreRoot(cow_String("sets"), sets);
        return path;
    }();
    return db;
}

void exportWithTool(benchmark::State& state) {
    const std::string db = nodeSetDatabase();
    const std::string out = (folder() / "nodesets-tool.exo").string();
    for (auto _ : state)
        report(state, runChild({RGN_TOOL_PATH, "export", db, out}));
}

#ifdef RGN_BENCH_HAVE_EXODUS
// The anchor runs in a child as well, so that both sides pay a process start and report their
// own peak: this program writing the sets, started again with --write-exodus-node-sets.
void exportWithExodus(benchmark::State& state) {
    const std::string out = (folder() / "nodesets-direct.exo").string();
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    for (auto _ : state)
        report(state, runChild({self, "--write-exodus-node-sets=" + out}));
}
#endif

const bool registered = [] {
    rgnBenchRatio("Tool.Import", "rgn import", "gmsh read+save");
    benchmark::RegisterBenchmark("Tool.Import/rgn import", importWithTool)
        ->Arg(1'060'000)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    benchmark::RegisterBenchmark("Tool.Import/gmsh read+save", readAndWriteWithGmsh)
        ->Arg(1'060'000)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    rgnBenchRatio("Tool.Export", "rgn export", "Exodus API");
    benchmark::RegisterBenchmark("Tool.Export/rgn export", exportWithTool)
        ->Arg(kNodeSets)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
#ifdef RGN_BENCH_HAVE_EXODUS
    benchmark::RegisterBenchmark("Tool.Export/Exodus API", exportWithExodus)
        ->Arg(kNodeSets)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
#endif
    return true;
}();

} // namespace

#ifdef RGN_BENCH_HAVE_EXODUS
// Writes the 1e4 node sets straight through the Exodus II library: the nodes they use, their
// number map, one bulk definition of the sets, their names. Exits the process.
bool rgnBenchWriteExodusNodeSets(const std::string& out) {
    std::vector<int> nodes;
    for (int s = 0; s < kNodeSets; ++s)
        for (int id : nodeSetIds(s))
            nodes.push_back(id);
    std::sort(nodes.begin(), nodes.end());
    nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
    std::vector<int> position(nodes.back() + 1, 0);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        position[nodes[i]] = static_cast<int>(i) + 1;

    int cpu = sizeof(double), io = sizeof(double);
    const int exo = ex_create(out.c_str(), EX_CLOBBER, &cpu, &io);
    ex_set_max_name_length(exo, 32);
    ex_put_init(exo, "node sets", 3, static_cast<int64_t>(nodes.size()), 0, 0, kNodeSets, 0);
    const std::vector<double> zero(nodes.size(), 0.0);
    ex_put_coord(exo, zero.data(), zero.data(), zero.data());
    ex_put_id_map(exo, EX_NODE_MAP, nodes.data());
    std::vector<std::vector<int>> entries(kNodeSets);
    std::vector<ex_set> sets(kNodeSets);
    std::vector<std::string> names(kNodeSets);
    std::vector<char*> namePointers(kNodeSets);
    for (int s = 0; s < kNodeSets; ++s) {
        for (int id : nodeSetIds(s))
            entries[s].push_back(position[id]);
        sets[s] = ex_set{s + 1, EX_NODE_SET, kIdsPerSet, 0, entries[s].data(), nullptr, nullptr};
        names[s] = "NSET-" + std::to_string(s);
        namePointers[s] = names[s].data();
    }
    const bool ok = ex_put_sets(exo, sets.size(), sets.data()) >= 0 &&
                    ex_put_names(exo, EX_NODE_SET, namePointers.data()) >= 0;
    return ex_close(exo) >= 0 && ok;
}
#endif
