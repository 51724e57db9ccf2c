#include "ddr_Ddb.h"

#include "cls_ClassRegistrar.h"
#include "cls_Codes.h"
#include "ddr_Root.h"
#include "thr_ThreadSingleton.h"

#include <cstdio>
#include <exception>

ddr_Ddb::ddr_Ddb(const cow_String& name, const std::string& path, Mode mode)
    : name_(name), database_(cls_Database::Open(path, mode)),
      root_(&thr_ThreadSingleton<ddr_Root>::Instance().Fetch()) {
    if (!root_->Insert(name_, this))
        database_->Fail("a model database named '" + name_.str() + "' is open already");
}

ddr_Ddb::~ddr_Ddb() {
    try {
        Close();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
}

void ddr_Ddb::Close() {
    if (closed_)
        return;
    closed_ = true;
    // Leaving the root it joined first (that of the thread that opened it): the database is
    // closed whatever happens below.
    root_->Remove(name_);
    std::exception_ptr failure;
    for (auto& [name, kept] : roots_) {
        try {
            if (kept.flush)
                kept.flush();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    roots_.clear();
    if (failure)
        std::rethrow_exception(failure);
    database_->ThrowKeptFailure();
}

std::vector<cow_String> ddr_Ddb::RootNames() {
    database_->ThrowKeptFailure();
    std::vector<cow_String> names;
    for (const std::string& n : database_->RootNames())
        names.emplace_back(n);
    return names;
}

cls_Database::Root ddr_Ddb::findRoot(const cow_String& root, std::uint32_t expectedClass) const {
    const auto found = database_->FindRoot(root.str());
    if (!found)
        database_->Fail("no root named '" + root.str() + "'");
    // An unknown class id is reported as such, not as another class.
    if (found->classId != cls_ListTypeId && found->classId != cls_MapTypeId)
        database_->ClassOf(found->classId);
    if (!cls_ClassRegistrar::Current().IsA(found->classId, expectedClass))
        database_->Fail("root '" + root.str() + "' holds another class of object");
    return *found;
}
