#include "BenchRatios.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct RatioPair {
    std::string family, subject, anchor;
};

std::vector<RatioPair>& ratioPairs() {
    static std::vector<RatioPair> pairs;
    return pairs;
}

// Collects the real time of every run (per iteration, in ns) while the console shows the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const std::string name = run.benchmark_name();
            const auto firstSlash = name.find('/');
            if (firstSlash == std::string::npos)
                continue;
            const auto secondSlash = name.find('/', firstSlash + 1);
            const std::string family = name.substr(0, firstSlash);
            const std::string impl = name.substr(firstSlash + 1, secondSlash == std::string::npos
                                                                     ? std::string::npos
                                                                     : secondSlash - firstSlash - 1);
            const std::string arg =
                secondSlash == std::string::npos ? "" : name.substr(secondSlash + 1);
            times_[{family, arg}][impl] = run.GetAdjustedRealTime();
        }
    }

    void PrintRatios() const {
        std::printf("\nRatios (subject time / anchor time; below 1 means the subject is faster)\n");
        for (const RatioPair& pair : ratioPairs()) {
            for (const auto& [key, byImpl] : times_) {
                if (std::get<0>(key) != pair.family)
                    continue;
                auto s = byImpl.find(pair.subject);
                auto a = byImpl.find(pair.anchor);
                if (s == byImpl.end() || a == byImpl.end() || a->second <= 0)
                    continue;
                std::printf("  %-32s %-10s %-22s / %-22s = %8.3f\n", pair.family.c_str(),
                            std::get<1>(key).c_str(), pair.subject.c_str(), pair.anchor.c_str(),
                            s->second / a->second);
            }
        }
    }

private:
    std::map<std::tuple<std::string, std::string>, std::map<std::string, double>> times_;
};

} // namespace

bool rgnBenchRatio(const char* family, const char* subject, const char* anchor) {
    ratioPairs().push_back({family, subject, anchor});
    return true;
}

#ifdef RGN_BENCH_HAVE_EXODUS
bool rgnBenchWriteExodusNodeSets(const std::string& out);
#endif

int main(int argc, char** argv) {
#ifdef RGN_BENCH_HAVE_EXODUS
    // Tool.Export starts this program again to write its anchor file as a child of its own.
    const std::string anchorFlag = "--write-exodus-node-sets=";
    if (argc == 2 && std::string(argv[1]).rfind(anchorFlag, 0) == 0)
        return rgnBenchWriteExodusNodeSets(argv[1] + anchorFlag.size()) ? 0 : 1;
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
