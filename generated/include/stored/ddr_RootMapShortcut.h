// A path to a map stored as a named root of an open model database: its text is the database
// name, ".", and the root name ("model.sets"). Resolving it finds the database by name among
// the thread's open databases and the root loaded there once. Without a database name or a
// root name it names nothing, and a stored one is refused when read.
#pragma once

#include "ddr_Ddb.h"
#include "ddr_ShortcutDefs.h"
#include "nex_Message.h"

template <class M>
class ddr_RootMapShortcut : public ddr_ShortcutImpl<M> {
    using Traits = ddr_RootMapShortcutTraits<M>;

public:
    // Shares both names (O(1), no text copied); allocates the identity only.
    ddr_RootMapShortcut(const cow_String& ddb, const cow_String& root)
        : ddbName_(ddb), rootName_(root), uid(cls_Uid::AllocateUid()) {}
    // Shares the names and carries the identity, O(1).
    ddr_RootMapShortcut(const ddr_RootMapShortcut&) = default;
    // Reads the two names from the file (one record); a path naming nothing is refused as
    // damage.
    explicit ddr_RootMapShortcut(const cls_ReadVisitor& rv)
        : ddr_ShortcutImpl<M>(rv), ddbName_(rv.Memento().ReadString(ddbField(), cow_String())),
          rootName_(rv.Memento().ReadString(rootField(), cow_String())), uid(rv.GetUid()) {
        if (!IsComplete())
            ddr_ShortcutBaseImpl::FailRead(rv, Traits::name, Missing(), kSourceFile,
                                           kBrokenStoredLine);
    }

    // The registered class id, O(1); the reading constructor allocates the path.
    static std::uint32_t TypeId() { return Traits::typeId; }
    static void* Ctor(cls_ReadVisitor& rv) {
        return static_cast<ddr_ShortcutImpl<M>*>(new ddr_RootMapShortcut(rv));
    }
    // The stored layout (the two names); allocates its metadata once.
    static void InitializeMetadata(cls_ClassRegistrar& registrar) {
        registrar
            .CreateClassMD(cow_String(Traits::name), TypeId(), 1, &Ctor,
                           ddr_ShortcutImpl<M>::TypeId())
            .AddAttribute(ddbField(), cls_AttrString, 1, cls_CollSingle)
            .AddAttribute(rootField(), cls_AttrString, 1, cls_CollSingle)
            .AddDtor(ddr_ShortcutImpl<M>::CowDtor);
    }

    // Name shares the root name (O(1)); Path allocates its text; Copy shares both names.
    cow_String Name() const override { return rootName_; }
    cow_String Path() const override { return ddbName_ + ("." + rootName_.str()); }
    cow_String DdbName() const override { return ddbName_; }
    ddr_RootMapShortcut* Copy() const override { return new ddr_RootMapShortcut(*this); }

    // O(1); Missing allocates its text.
    bool IsComplete() const override { return !ddbName_.empty() && !rootName_.empty(); }
    std::string Missing() const override {
        if (ddbName_.empty())
            return std::string(Traits::name) + " names no database";
        if (rootName_.empty())
            return std::string(Traits::name) + " names no root";
        return {};
    }

    // Looks the database up among the open ones (O(log databases)), then its root, which it
    // loads from the file once (the map's keys only); no copy.
    const M& ConstGet(const ddr_DdbContainer& container) const override {
        return database(container).template RootObject<M>(rootName_);
    }
    M& Get(ddr_DdbContainer& container) const override {
        return database(container).template RootObject<M>(rootName_);
    }

    // Queues one record with the two names, once per write.
    void DBWrite(const cls_WriteVisitor& wv) const override {
        if (!wv.StartWrite(TypeId(), uid))
            return;
        wv.Memento().WriteString(ddbField(), &ddbName_);
        wv.Memento().WriteString(rootField(), &rootName_);
    }
    std::uint32_t DynTypeId() const override { return TypeId(); }

private:
    // Where a stored path naming nothing and a database that is not open are reported.
    static constexpr const char* kSourceFile = "generated/include/ddr_RootMapShortcut";
    static constexpr int kBrokenStoredLine = 24;
    static constexpr int kNotOpenLine = 75;

    const ddr_Ddb& database(const ddr_DdbContainer& container) const {
        const ddr_Ddb* ddb = container.Find(ddbName_);
        if (!ddb)
            nex_Message::Raise(kSourceFile, kNotOpenLine,
                               "no model database named '%1$s' is open (path %2$s)", ddbName_,
                               Path());
        return *ddb;
    }
    static const cls_FieldHandle& ddbField() {
        static const cls_FieldHandle h(-1, "ddb");
        return h;
    }
    static const cls_FieldHandle& rootField() {
        static const cls_FieldHandle h(-1, "root");
        return h;
    }

    cow_String ddbName_;
    cow_String rootName_;
    cls_Uid uid;
};
