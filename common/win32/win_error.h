// The one way a Win32 failure becomes text.
#pragma once
#include <string>

namespace kvr {

// The system's message for an error code, UTF-8, without the trailing line end.
std::string error_text(unsigned long code);
// The same for the thread's last error: the reason of the Windows call that just failed.
std::string last_error_text();

} // namespace kvr
