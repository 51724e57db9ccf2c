// One open model database, entered under its name in the opening thread's database root.
//
//   ddr_Ddb model(cow_String("model"), "plate.db", ddr_Ddb::Mode::Create);
//   model.StoreRoot(cow_String("sets"), setList);               // one transaction
//   auto sets = model.LoadRoot<SetList>(cow_String("sets"));   // keys only; objects on demand
#pragma once

#include "cls_Database.h"
#include "cls_OpenMode.h"
#include "cls_ReadVisitor.h"
#include "cls_Reader.h"
#include "cls_WriteVisitor.h"
#include "cls_Writer.h"
#include "cow_String.h"
#include "mdl_Container.h"
#include "nex_Exception.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

class ddr_Ddb {
public:
    using Mode = cls_OpenMode;

    // Opens the file (":memory:" for a private in-memory database) and enters it in the thread's
    // root under `name`; a name already in use there is refused. Reads the file's catalog
    // (a few queries) and allocates the connection.
    ddr_Ddb(const cow_String& name, const std::string& path, Mode mode);
    // Closes if Close was not called (a failure then goes to standard error: nobody is left to
    // tell). The file itself closes when no stored map read from it remains.
    ~ddr_Ddb();
    ddr_Ddb(const ddr_Ddb&) = delete;
    ddr_Ddb& operator=(const ddr_Ddb&) = delete;

    // No copy, no query, O(1).
    const cow_String& Name() const { return name_; }
    const std::string& Path() const { return database_->Path(); }
    bool IsReadOnly() const { return database_->IsReadOnly(); }

    // Stores `object` (anything with DBWrite) under the root name, in one transaction, with
    // every changed entry of the stored maps it reaches: after a failure or a crash the file
    // holds the previous state. Queues every row of the object and commits them in one
    // transaction: O(rows written).
    template <class T>
    void StoreRoot(const cow_String& root, const T& object) {
        cls_Writer writer(database_);
        {
            cls_WriteVisitor visitor(writer, root);
            object.DBWrite(visitor);
        }
        writer.Commit();
    }

    // Builds the stored root with T's reading constructor; an unknown root name or a root of
    // another class is refused, and so is a file that another writer changed since it was
    // opened (see cls_Database). A failure of T's reading names the file and the object.
    // Builds a new T on every call (a stored map reads its keys only).
    template <class T>
    T LoadRoot(const cow_String& root) const {
        database_->ThrowKeptFailure();
        cls_Reader reader(database_);
        const cls_Database::Root found = findRoot(root, T::TypeId());
        cls_ReadVisitor visitor(reader, found);
        try {
            T object(visitor);
            database_->CheckUnchanged();
            return object;
        } catch (nex_Exception& e) {
            // T's own error, its type and text unchanged, with the root's place in front
            // (unless an object nested in it named its own).
            visitor.Memento().AddContext(e);
            throw;
        }
    }

    // The stored root loaded once and kept for the life of this object, so that every path
    // resolved through it reaches the same object (a stored map then fetches each entry once).
    // The first call loads it (LoadRoot); later calls look it up, O(log roots), no query.
    template <class T>
    T& RootObject(const cow_String& root) const {
        auto it = roots_.find(root.str());
        if (it == roots_.end()) {
            auto loaded = std::make_shared<T>(LoadRoot<T>(root));
            std::function<void()> flush;
            if constexpr (requires(T& t) { t.Flush(); })
                flush = [object = loaded.get()] { object->Flush(); };
            it = roots_.emplace(root.str(), Kept{std::type_index(typeid(T)), loaded, flush}).first;
        } else if (it->second.type != std::type_index(typeid(T))) {
            database_->Fail("root '" + root.str() + "' is in use as another class of object");
        }
        return *static_cast<T*>(it->second.object.get());
    }

    // The root names, read from the file (one query); allocates the list.
    std::vector<cow_String> RootNames();
    // Deletes every row that no root reaches and gives the free pages back to the file system
    // (see cls_Database::Compact); stored writes happen at their commits anyway, this only
    // shrinks the file, for instance after most of a model was dropped.
    void Compact() { database_->Compact(); }
    // Flushes the roots kept by RootObject, throws any failure the database kept, and leaves the
    // thread's root. Later calls do nothing.
    void Close();
    // The database behind: no copy, O(1).
    cls_Database& Database() { return *database_; }
    const std::shared_ptr<cls_Database>& DatabasePtr() const { return database_; }

private:
    cls_Database::Root findRoot(const cow_String& root, std::uint32_t expectedClass) const;

    struct Kept {
        std::type_index type;
        std::shared_ptr<void> object;
        std::function<void()> flush; // empty for roots that are not stored maps
    };

    cow_String name_;
    std::shared_ptr<cls_Database> database_;
    // Filled by reads (RootObject is const): a cache of loaded roots, not the database's state.
    // Destroyed first: kept maps flush into the open file.
    mutable std::map<std::string, Kept> roots_;
    mdl_Container<cow_String, ddr_Ddb>* root_; // the opening thread's open databases
    bool closed_ = false;
};
