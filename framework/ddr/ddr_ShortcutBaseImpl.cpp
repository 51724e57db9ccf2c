#include "ddr_ShortcutBaseImpl.h"

#include "cls_Database.h"
#include "cls_ReadVisitor.h"
#include "cls_Reader.h"
#include "nex_Message.h"

#include <string>

cow_String ddr_ShortcutBaseImpl::PythonPath() const {
    const std::string ddb(DdbName().view());
    std::string path(Path().view());
    // The path text starts with the database name; the scripting text names it once, quoted.
    if (!ddb.empty() && path.rfind(ddb + ".", 0) == 0)
        path.erase(0, ddb.size() + 1);
    std::string text = "ddb('" + ddb + "')";
    if (!path.empty())
        text += (path[0] == '[' ? "" : ".") + path;
    return cow_String(text);
}

void ddr_ShortcutBaseImpl::Fail(const char* pathClass, const std::string& what,
                                const char* sourceFile, int line) {
    nex_Message::Raise(sourceFile, line, "%1$s: %2$s", pathClass, what);
}

void ddr_ShortcutBaseImpl::FailRead(const cls_ReadVisitor& rv, const char* pathClass,
                                    const std::string& what, const char* sourceFile, int line) {
    // Names the file and the object itself.
    nex_Message::RaisePlaced(sourceFile, line, "%1$s: stored path names nothing (%2$s) in %3$s",
                             pathClass, what, StoredAt(rv));
}

std::string ddr_ShortcutBaseImpl::StoredAt(const cls_ReadVisitor& rv) {
    return "file '" + rv.Reader().Database().Path() + "', object " +
           std::to_string(rv.Memento().Oid());
}
