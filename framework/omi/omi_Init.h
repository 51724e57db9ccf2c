// Start-up and shut-down of the singleton and int-table library.
#pragma once

void omni_initialize(int& count);
void omni_finalize(int& count);
