// Base of every path handle: a value naming one object inside the model databases.
#pragma once

#include "cow_String.h"

class omu_ShortcutBase {
public:
    virtual ~omu_ShortcutBase() = default;

    // A handle without an implementation names nothing: an undefined path.
    virtual bool IsDefined() const = 0;
    // The last step of the path ("7", "subset").
    virtual cow_String Name() const = 0;
    // The whole path as text ("model.sets[7].subset[0]").
    virtual cow_String Path() const = 0;
    // The path as the scripting layer writes it.
    virtual cow_String PythonPath() const = 0;
};
