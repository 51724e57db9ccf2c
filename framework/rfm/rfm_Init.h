// Start-up and shut-down of the rfm_ library.
#pragma once

void rfm_initialize(int& count);
void rfm_finalize(int& count);
