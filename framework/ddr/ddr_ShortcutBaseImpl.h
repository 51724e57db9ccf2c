// Base of the database framework's path implementations: adds the database name and the
// scripting text of a path.
#pragma once

#include "omu_ShortcutImpl.h"

class ddr_ShortcutBaseImpl : public omu_ShortcutImpl {
public:
    // The scripting text of the path: the database, then the rest of the path,
    // e.g. ddb('model').sets[7].subset[0].
    cow_String PythonPath() const override;
    // The name of the database at the top of the path; empty unless a step knows it.
    virtual cow_String DdbName() const { return cow_String(); }
};
