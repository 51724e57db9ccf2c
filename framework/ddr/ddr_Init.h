// Start-up and shut-down of the ddr_ library.
#pragma once

void ddr_initialize(int& count);
void ddr_finalize(int& count);
