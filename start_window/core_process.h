// Starting the console launcher core without any window of its own.
#pragma once
#include <string>

// Starts `exe` with no arguments, hidden, without a console window, with this program's
// environment and working directory, and lets it run on its own (no handle is kept).
bool start_core_hidden(const std::wstring& exe);
