// Base of every path implementation: the part of a path that knows how to reach its object.
#pragma once

#include "cow_String.h"

class omu_ShortcutImpl {
public:
    virtual ~omu_ShortcutImpl() = default;

    virtual cow_String Name() const = 0;
    virtual cow_String Path() const = 0;
    virtual cow_String PythonPath() const = 0;
    // Whether the path names a whole repository of objects rather than one object.
    virtual bool IsRepository() const = 0;
    // Whether the path can be resolved against the open databases.
    virtual bool IsResolvable() const = 0;
    // Whether the object named lives only as long as the session.
    virtual bool IsTransient() const = 0;
    // A new heap copy of the same dynamic type; the caller owns it.
    virtual omu_ShortcutImpl* Copy() const = 0;
};
