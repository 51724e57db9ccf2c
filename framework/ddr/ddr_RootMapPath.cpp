#include "ddr_RootMapPath.h"

#include "cls_ClassRegistrar.h"
#include "cls_ReadVisitor.h"
#include "cls_WriteVisitor.h"
#include "ddr_Ddb.h"
#include "ddr_ShortcutBaseImpl.h"
#include "mdl_Container.h"
#include "nex_Message.h"

namespace {
// Where a stored path naming nothing and a database that is not open are reported.
constexpr const char* kSourceFile = "framework/ddr/ddr_RootMapPath";
constexpr int kBrokenStoredLine = 34;
constexpr int kNotOpenLine = 59;

const cls_FieldHandle& ddbField() {
    static const cls_FieldHandle h(-1, "ddb");
    return h;
}
const cls_FieldHandle& rootField() {
    static const cls_FieldHandle h(-1, "root");
    return h;
}
} // namespace

ddr_RootMapPath::ddr_RootMapPath(const cow_String& ddb, const cow_String& root)
    : ddbName_(ddb), rootName_(root), uid_(cls_Uid::AllocateUid()) {}

ddr_RootMapPath::ddr_RootMapPath(const cls_ReadVisitor& rv)
    : ddbName_(rv.Memento().ReadString(ddbField(), cow_String())),
      rootName_(rv.Memento().ReadString(rootField(), cow_String())), uid_(rv.GetUid()) {
    if (!IsComplete())
        ddr_ShortcutBaseImpl::FailRead(rv, kClassName, Missing(), kSourceFile, kBrokenStoredLine);
}

void ddr_RootMapPath::Register(cls_ClassRegistrar& registrar) {
    // No factory of its own: it is built as the path implementation its wrapper declares (a
    // stand-in registered there), and its record is read inside that.
    registrar.CreateClassMD(cow_String(kClassName), TypeId(), 1, nullptr, 1)
        .AddAttribute(ddbField(), cls_AttrString, 1, cls_CollSingle)
        .AddAttribute(rootField(), cls_AttrString, 1, cls_CollSingle);
}

cow_String ddr_RootMapPath::Path() const { return ddbName_ + ("." + rootName_.str()); }

std::string ddr_RootMapPath::Missing() const {
    if (ddbName_.empty())
        return std::string(kClassName) + " names no database";
    if (rootName_.empty())
        return std::string(kClassName) + " names no root";
    return {};
}

const ddr_Ddb&
ddr_RootMapPath::Database(const mdl_Container<cow_String, ddr_Ddb>& container) const {
    const ddr_Ddb* ddb = container.Find(ddbName_);
    if (!ddb)
        nex_Message::Raise(kSourceFile, kNotOpenLine,
                           "no model database named '%1$s' is open (path %2$s)", ddbName_, Path());
    return *ddb;
}

void ddr_RootMapPath::DBWrite(const cls_WriteVisitor& wv) const {
    if (!wv.StartWrite(TypeId(), uid_))
        return;
    wv.Memento().WriteString(ddbField(), &ddbName_);
    wv.Memento().WriteString(rootField(), &rootName_);
}
