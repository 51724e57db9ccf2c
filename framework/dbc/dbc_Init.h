// Start-up and shut-down of the dbc_ library.
#pragma once

void dbc_initialize(int& count);
void dbc_finalize(int& count);
