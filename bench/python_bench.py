#!/usr/bin/env python3
"""The rgn Python module against the same work done in C++, side by side in one run.

    scripts/build.sh normal rgn_python rgn_bench_native
    /usr/bin/python3 bench/python_bench.py [--build build] [--folder DIR]

lookup        Subset.lookup of 1e6 ids (half of them held) in a subset of 1e6 ids, against
              the C++ loop over rgnC_SubsetData::LookupIndex into a new int vector.
build_store   a set of 1e7 ids built from a numpy array and stored as a new model database
              (SetData, add_subset, open, store_sets, close), against the same steps in C++
              from a std::vector (rgnC_SetData, AddSubset, ddr_Ddb, StoreRoot, Close).

Runs alternate between the two sides (which goes first alternates too); each ratio is the median Python time over the median
C++ time, below 1 when Python is faster. Files go to --folder (default: the temp folder),
which should be on a disk: the store is bound by its syncs.
"""
import argparse
import os
import statistics
import sys
import tempfile
import time


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(here, "..", "build"),
                        help="the normal build tree (default: build/ beside bench/)")
    parser.add_argument("--folder", default=tempfile.gettempdir(), help="where files go")
    parser.add_argument("--lookup-runs", type=int, default=10)
    parser.add_argument("--store-runs", type=int, default=8)
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(os.path.abspath(args.build), "python"))

    import numpy as np
    import rgn
    import rgn_bench_native as native

    rng = np.random.default_rng(1234)
    n = 1_000_000
    # distinct ids spread over four times their count, in random order; probes half hits
    pool = rng.permutation(4 * n).astype(np.int32)
    ids = pool[:n]
    probes = np.concatenate([rng.permutation(ids)[: n // 2], pool[n: n + n // 2]])
    rng.shuffle(probes)

    subset_set = rgn.SetData(0, "BENCH", rgn.SetType.NODE_SET, unsorted=True)
    subset_set.add_subset(0, 0, ids, unsorted=True)
    subset = subset_set.subset(0)
    positions = subset.lookup(probes)  # builds the table, as the C++ side does before timing
    assert (positions >= 0).sum() == n // 2

    def python_lookup():
        start = time.perf_counter()
        subset.lookup(probes)
        py_lookup.append(time.perf_counter() - start)

    def cpp_lookup_run():
        cpp_lookup.append(native.lookup_seconds(ids, probes))

    py_lookup, cpp_lookup = [], []
    for run in range(args.lookup_runs):
        # which side goes first alternates: the second one may reuse memory the first freed
        for side in (python_lookup, cpp_lookup_run)[:: 1 if run % 2 == 0 else -1]:
            side()

    big = rng.permutation(10_000_000).astype(np.int32)
    folder = tempfile.mkdtemp(prefix="rgn-python-bench-", dir=args.folder)
    py_path, cpp_path = os.path.join(folder, "python.db"), os.path.join(folder, "cpp.db")
    py_store, cpp_store = [], []
    try:
        def python_store():
            start = time.perf_counter()
            s = rgn.SetData(0, "BENCH", rgn.SetType.NODE_SET)
            s.add_subset(0, 0, big)
            with rgn.open(py_path, "c", name="bench") as db:
                db.store_sets("sets", [s])
            del s
            py_store.append(time.perf_counter() - start)

        def cpp_store_run():
            cpp_store.append(native.build_store_seconds(cpp_path, big))

        for run in range(args.store_runs):
            for path in (py_path, cpp_path):
                if os.path.exists(path):
                    os.remove(path)
            for side in (python_store, cpp_store_run)[:: 1 if run % 2 == 0 else -1]:
                side()
        with rgn.open(py_path) as db:  # what Python stored is what was given
            assert np.array_equal(db.sets()[0].subset(0).ids, big)
    finally:
        for path in (py_path, cpp_path):
            for suffix in ("", "-journal"):
                if os.path.exists(path + suffix):
                    os.remove(path + suffix)
        os.rmdir(folder)

    def row(name, size, py, cpp, target):
        ratio = statistics.median(py) / statistics.median(cpp)
        print(f"{name:<12} {size:>9}  python {statistics.median(py) * 1e3:8.1f} ms"
              f" (min {min(py) * 1e3:7.1f})   c++ {statistics.median(cpp) * 1e3:8.1f} ms"
              f" (min {min(cpp) * 1e3:7.1f})   ratio {ratio:5.3f}  (target <= {target})")
        return ratio

    print(f"folder {args.folder}; {args.lookup_runs} lookup runs, {args.store_runs} store runs "
          "each side, alternating; load average %.1f %.1f %.1f" % os.getloadavg())
    print("Ratios (python / c++, medians)")
    row("lookup", n, py_lookup, cpp_lookup, 2.0)
    row("build_store", len(big), py_store, cpp_store, 1.3)


if __name__ == "__main__":
    main()
