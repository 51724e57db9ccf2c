// Start-up and shut-down of the mdl_ library.
#pragma once

void mdl_initialize(int& count);
void mdl_finalize(int& count);
