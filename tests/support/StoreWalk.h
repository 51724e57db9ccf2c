// Reads everything a model database holds through the test class Probe: every root, as a map of
// Probe objects (every entry fetched, every field touched) or as a single Probe, folded into a
// digest. The bad-input tests and the fuzz target use it as a reader that goes wherever a
// (possibly damaged) file leads; a failure comes out as the framework's exception.
//
//   ddr_Ddb db(cow_String("m"), path, ddr_Ddb::Mode::ReadOnly);
//   const std::uint64_t digest = StoreWalk::ReadEveryRoot(db);
#pragma once

#include "Mix.h"
#include "Probe.h"
#include "cls_Map2ObjDefs.h"
#include "cls_Map2ObjIter.h"
#include "cls_SqliteStatement.h"
#include "ddr_Ddb.h"

#include <cstdint>
#include <map>
#include <string>

namespace StoreWalk {

using ProbeMap = cls_Map2Obj<int, Probe, cow_ArrayCOW<Probe, cow_Virtual<Probe>>>;
using ProbeMapIter = cls_Map2ObjIter<int, Probe, cow_ArrayCOW<Probe, cow_Virtual<Probe>>>;

// Registers Probe in the current registrar once per process. Registering again would replace
// its metadata while open databases may still refer to the old one.
inline void RegisterProbe() {
    static const bool registered = (Probe::Register(), true);
    (void)registered;
}

// Every stored field of the probe: its number, label, flag, kind, ids and names.
inline std::uint64_t Digest(const Probe& p, std::uint64_t h) {
    h = Mix(h, p.number, p.label.view(), p.flag ? 1 : 0, p.kind.GetValue());
    for (int i = 0; i < p.ids.Count(); ++i)
        h = Mix(h, static_cast<std::uint32_t>(p.ids.ConstGet(i)));
    for (int i = 0; i < p.names.Count(); ++i)
        h = Mix(h, p.names.ConstGet(i).view());
    return h;
}

// Reads one root into the digest h: a stored map entry by entry, anything else as a Probe.
inline std::uint64_t ReadRoot(ddr_Ddb& db, const cow_String& name, std::uint64_t h) {
    h = Mix(h, name.view());
    const auto root = db.Database().FindRoot(name.str());
    if (root && root->classId == ProbeMap::TypeId()) {
        ProbeMap map = db.LoadRoot<ProbeMap>(name);
        ProbeMapIter it(map);
        for (it.First(); !it.IsDone(); it.Next())
            h = Digest(it.CurrentValue(), Mix(h, it.CurrentKey()));
        return h;
    }
    // Any other class id goes through Probe's loader, which must refuse it cleanly.
    return Digest(db.LoadRoot<Probe>(name), h);
}

// Every entry of the stored map `root` as key -> number, read by a fresh read-only connection.
inline std::map<int, int> StoredNumbers(const std::string& path, const char* root = "m") {
    ddr_Ddb db(cow_String("numbers"), path, ddr_Ddb::Mode::ReadOnly);
    const ProbeMap map = db.LoadRoot<ProbeMap>(cow_String(root));
    std::map<int, int> numbers;
    ProbeMapIter it(map);
    for (it.First(); !it.IsDone(); it.Next())
        numbers[it.CurrentKey()] = it.CurrentValue().number;
    return numbers;
}

// The number a query of one value (a count) answers on the connection of `db`.
inline std::int64_t Answer(ddr_Ddb& db, const std::string& query) {
    cls_SqliteStatement statement(db.Database().Sql(), query);
    return statement.Step() ? statement.Int(0) : -1;
}

inline std::uint64_t ReadEveryRoot(ddr_Ddb& db) {
    std::uint64_t h = kDigestSeed;
    for (const cow_String& name : db.RootNames())
        h = ReadRoot(db, name, h);
    return h;
}

} // namespace StoreWalk
