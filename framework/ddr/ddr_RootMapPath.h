// The stored part of a path to a map kept as a named root of an open model database: the
// database name and the root name ("model" and "sets" for the text "model.sets"). The class is
// the database framework's: ddr_initialize registers it, so any host that starts the framework
// reads stored root paths. A typed path (ddr_RootMapShortcut<M>) wraps it; the map type it
// resolves to is the wrapper's, chosen where the path is declared.
#pragma once

#include "cls_Uid.h"
#include "cow_String.h"

#include <cstdint>
#include <string>

class cls_ClassRegistrar;
class cls_ReadVisitor;
class cls_WriteVisitor;
class ddr_Ddb;
template <class K, class V>
class mdl_Container;

class ddr_RootMapPath {
public:
    // Shares both names (O(1), no text copied); allocates the identity only.
    ddr_RootMapPath(const cow_String& ddb, const cow_String& root);
    // Reads the two names from the file (one record); a path naming nothing is refused as
    // damage, naming the file and the object.
    explicit ddr_RootMapPath(const cls_ReadVisitor& rv);

    // The registered class id and name, constant: the name is the one that files have carried
    // since the first layout, when the only root path led to set-data lists; kept so that they
    // read. Register allocates the metadata once.
    static std::uint32_t TypeId() { return 0x00260001; }
    static constexpr const char* kClassName = "ddr_SetDataListRootShortcut";
    static void Register(cls_ClassRegistrar& registrar);

    // No copy, O(1); Path allocates its text ("model.sets").
    const cow_String& DdbName() const { return ddbName_; }
    const cow_String& RootName() const { return rootName_; }
    cow_String Path() const;

    // O(1); Missing allocates its text (empty for a complete path).
    bool IsComplete() const { return !ddbName_.empty() && !rootName_.empty(); }
    std::string Missing() const;

    // The open database the path names, looked up by name among `container`'s
    // (O(log databases)); no copy. Refused when no database of that name is open.
    const ddr_Ddb& Database(const mdl_Container<cow_String, ddr_Ddb>& container) const;

    // Queues one record with the two names, once per write.
    void DBWrite(const cls_WriteVisitor& wv) const;

private:
    cow_String ddbName_;
    cow_String rootName_;
    cls_Uid uid_;
};
