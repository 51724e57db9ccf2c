#include "ddr_ShortcutBaseImpl.h"

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
