// Starts the module once per process, as a host does, with the root path class of stored set
// lists registered. Registering again would replace metadata that open databases still use.
#pragma once

#include "cls_MetadataRegistrar.h"
#include "omi_Singleton.h"
#include "rgnC_Module.h"
#include "rgnC_Paths.h"

inline void StartModule() {
    static const bool started = [] {
        static int count = 0;
        rgnC_initialize(count);
        omi_Singleton<cls_MetadataRegistrar>::Instance().initClassMetadata(
            &rgnC_SetDataListRoot::InitializeMetadata, 4);
        return true;
    }();
    (void)started;
}
