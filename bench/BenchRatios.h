// Side-by-side benchmarks reported as ratios.
//
// Name every benchmark "<family>/<implementation>" and give it its size as the argument, e.g.
//   benchmark::RegisterBenchmark("Btree.Lookup/cow_Btree", fn)->Arg(1000);
//   benchmark::RegisterBenchmark("Btree.Lookup/std::map", fn)->Arg(1000);
// and declare which pairs to compare:
//   static const bool r = rgnBenchRatio("Btree.Lookup", "cow_Btree", "std::map");
// After the usual table, the runner prints subject/anchor time for every size both ran at.
#pragma once

bool rgnBenchRatio(const char* family, const char* subject, const char* anchor);
