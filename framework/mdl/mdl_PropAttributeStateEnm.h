// The propagation state of a propagating attribute (mdl_PropAttr): whether its value was set
// here, handed on by propagation, removed here, or is absent. Stored by name, through the
// enumeration template above the framework (its name table is where that template is
// instantiated).
#pragma once

enum class mdl_PropAttributeStateEnm : int {
    Absent = 0,     // no value
    Set = 1,        // a value set on this owner
    Propagated = 2, // a value handed on from elsewhere
    Removed = 3,    // the value removed on this owner
};
