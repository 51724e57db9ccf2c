// A path to a map stored as a named root of an open model database: its text is the database
// name, ".", and the root name ("model.sets"). Resolving it finds the database by name among
// the thread's open databases and the root loaded there once. Without a database name or a
// root name it names nothing, and a stored one is refused when read.
//
// What it stores is the framework's root path (ddr_RootMapPath, registered by the framework's
// start-up); this template gives it the map type M it resolves to. A module whose M is kept as
// a root says `storedAsRoot = true` in M's ddr_ShortcutTraits and instantiates this template.
#pragma once

#include "ddr_Ddb.h"
#include "ddr_RootMapPath.h"
#include "ddr_ShortcutDefs.h"

template <class M>
class ddr_RootMapShortcut : public ddr_ShortcutImpl<M> {
    static_assert(ddr_StoredAsRoot<M>, "M's ddr_ShortcutTraits say storedAsRoot = true");

public:
    // Shares both names (O(1), no text copied); allocates the identity only.
    ddr_RootMapShortcut(const cow_String& ddb, const cow_String& root) : path_(ddb, root) {}
    // Reads the two names from the file (one record); a path naming nothing is refused as
    // damage.
    explicit ddr_RootMapShortcut(const cls_ReadVisitor& rv)
        : ddr_ShortcutImpl<M>(rv), path_(rv) {}

    // Name shares the root name (O(1)); Path allocates its text; Copy shares both names.
    cow_String Name() const override { return path_.RootName(); }
    cow_String Path() const override { return path_.Path(); }
    cow_String DdbName() const override { return path_.DdbName(); }
    ddr_RootMapShortcut* Copy() const override { return new ddr_RootMapShortcut(*this); }

    // O(1); Missing allocates its text.
    bool IsComplete() const override { return path_.IsComplete(); }
    std::string Missing() const override { return path_.Missing(); }

    // Looks the database up among the open ones (O(log databases)), then its root, which it
    // loads from the file once (the map's keys only); no copy.
    const M& ConstGet(const ddr_DdbContainer& container) const override {
        return path_.Database(container).template RootObject<M>(path_.RootName());
    }
    M& Get(ddr_DdbContainer& container) const override {
        return path_.Database(container).template RootObject<M>(path_.RootName());
    }

    // Queues one record with the two names, once per write.
    void DBWrite(const cls_WriteVisitor& wv) const override { path_.DBWrite(wv); }
    std::uint32_t DynTypeId() const override { return ddr_RootMapPath::TypeId(); }

private:
    ddr_RootMapPath path_;
};

template <class M>
void* ddr_ReadRootMapShortcut(cls_ReadVisitor& rv) {
    return static_cast<ddr_ShortcutImpl<M>*>(new ddr_RootMapShortcut<M>(rv));
}
