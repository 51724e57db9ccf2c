// Start-up and shut-down of the ddr_ library.
#pragma once

// Count the nested calls: O(1), no allocation (unless a test attached a recorder); neither opens
// nor closes a database. The outermost initialise registers the framework's stored root path
// class (ddr_RootMapPath), allocating its metadata.
void ddr_initialize(int& count);
void ddr_finalize(int& count);
