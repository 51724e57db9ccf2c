// The calling thread's root of the model databases: the databases it has open, by name.
//
//   const mdl_Container<cow_String, ddr_Ddb>& open = thr_ThreadSingleton<ddr_Root>::Instance().Fetch();
#pragma once

#include "cow_String.h"
#include "mdl_Container.h"

class ddr_Ddb;

class ddr_Root {
public:
    // The thread's open databases, not a copy: O(1); despite the name, nothing is read from a
    // file.
    const mdl_Container<cow_String, ddr_Ddb>& Fetch() const { return databases_; }
    mdl_Container<cow_String, ddr_Ddb>& Fetch() { return databases_; }

private:
    mdl_Container<cow_String, ddr_Ddb> databases_;
};
