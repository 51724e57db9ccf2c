#include "ddr_ShortcutBaseImpl.h"

#include "cls_Database.h"
#include "cls_ReadVisitor.h"
#include "cls_Reader.h"
#include "nex_TextException.h"

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
    nex_TextException(cow_String(std::string(pathClass) + ": " + what)).Throw(sourceFile, line);
}

void ddr_ShortcutBaseImpl::FailRead(const cls_ReadVisitor& rv, const char* pathClass,
                                    const std::string& what, const char* sourceFile, int line) {
    nex_TextException failure(cow_String(std::string(pathClass) + ": stored path names nothing (" +
                                         what + ") in " + StoredAt(rv)));
    failure.MarkPlaced(); // names the file and the object itself
    failure.Throw(sourceFile, line);
}

std::string ddr_ShortcutBaseImpl::StoredAt(const cls_ReadVisitor& rv) {
    return "file '" + rv.Reader().Database().Path() + "', object " +
           std::to_string(rv.Memento().Oid());
}
