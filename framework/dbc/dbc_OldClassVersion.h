// An earlier layout of a stored class: it registers the old layout's metadata and binds the
// functions that convert records of that layout to the next one. The module makes one of each
// at start-up and hands it to dbc_OldClassRegistrar.
#pragma once

#include <string>
#include <utility>
#include <vector>

class cls_ClassRegistrar;
class dbc_DatabaseConverter;

class dbc_OldClassVersion {
public:
    virtual ~dbc_OldClassVersion();
    // Registers the old layout (CreateClassMD, then AddAttribute per attribute). Const: a
    // version only describes a layout; registering and binding change the registrar and the
    // converter, never the version, which the registrar holds as shared and read-only.
    virtual void InitializeMetadata(cls_ClassRegistrar& registrar) const = 0;
    // Binds conversion functions on the database converter's numbered converters.
    virtual void SchemaChanges(dbc_DatabaseConverter& converter) const;
    // Classes the conversion drops, renames, and tables it renames: none by default.
    virtual std::vector<std::string> ClassesToDelete() const;
    virtual std::vector<std::pair<std::string, std::string>> ClassesToRename() const;
    virtual std::vector<std::pair<std::string, std::string>> TablesToRename() const;
};
