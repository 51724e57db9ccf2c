// Starts the module once per process, as a host does (the module's start registers the root
// path class of stored set lists too). Starting again would replace metadata that open
// databases still use.
#pragma once

#include "rgnC_Module.h"

inline void StartModule() {
    static const bool started = [] {
        static int count = 0;
        rgnC_initialize(count);
        return true;
    }();
    (void)started;
}
