// The C++ side of bench/python_bench.py: the same work as the rgn module's calls, done
// directly on the library in C++ and timed here, so that the script can print the Python
// module's time against it from one run.
//
//   lookup_seconds(ids, probes)      LookupIndex over every probe into a new int vector
//   build_store_seconds(path, ids)   a list from the ids, a set with one subset, stored as the
//                                    only set of a set-data list in a new file, closed
#include "ddr_Ddb.h"
#include "rgnC_Paths.h"

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace py = pybind11;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<int> copyOf(const py::array_t<int, py::array::c_style | py::array::forcecast>& a) {
    return std::vector<int>(a.data(), a.data() + a.size());
}

cow_1DArrayList<int> listOf(const std::vector<int>& ids) {
    const int n = static_cast<int>(ids.size());
    cow_1DArray<int> array(n);
    array.SetFromArray(ids.data(), n);
    return cow_1DArrayList<int>(array, n);
}

// One timed pass; the subset's table is built before the clock starts, as the Python side's is.
double lookupSeconds(py::array_t<int, py::array::c_style | py::array::forcecast> idArray,
                     py::array_t<int, py::array::c_style | py::array::forcecast> probeArray) {
    const std::vector<int> ids = copyOf(idArray), probes = copyOf(probeArray);
    rgnC_SetData set(0, cow_String("BENCH"), res_SetTypeEnm::NODE_SET, false, true);
    set.AddSubset(0, 0, listOf(ids), res_SetTypeEnm::NODE_SET, true, {});
    const rgnC_SubsetData subset(set.SubSet(0));
    subset.LookupIndex(ids.front());
    const auto start = Clock::now();
    std::vector<int> out(probes.size());
    for (std::size_t i = 0; i < probes.size(); ++i)
        out[i] = subset.LookupIndex(probes[i]);
    const double seconds = secondsSince(start);
    volatile int sink = out.back(); // keeps the loop
    (void)sink;
    return seconds;
}

double buildStoreSeconds(const std::string& path,
                         py::array_t<int, py::array::c_style | py::array::forcecast> idArray) {
    const std::vector<int> ids = copyOf(idArray);
    const auto start = Clock::now();
    {
        rgnC_SetData set(0, cow_String("BENCH"), res_SetTypeEnm::NODE_SET, false, false);
        set.AddSubset(0, 0, listOf(ids), static_cast<res_SetTypeEnm>(7),
                      !std::is_sorted(ids.begin(), ids.end()), {});
        rgnC_SetDataMap list;
        list.Insert(0, set);
        ddr_Ddb db(cow_String("bench"), path, ddr_Ddb::Mode::Create);
        db.StoreRoot(cow_String("sets"), list);
        db.Close();
    }
    return secondsSince(start);
}

} // namespace

PYBIND11_MODULE(rgn_bench_native, m) {
    m.doc() = "C++ anchors of bench/python_bench.py (import rgn first: it starts the module).";
    m.def("lookup_seconds", &lookupSeconds, py::arg("ids"), py::arg("probes"),
          "Seconds for LookupIndex of every probe (the subset's table built beforehand).");
    m.def("build_store_seconds", &buildStoreSeconds, py::arg("path"), py::arg("ids"),
          "Seconds to build a set of the ids and store it as a new model database at `path`.");
}
