// Process start-up and shutdown of GDI+, and the DPI setting the overlay and chooser ask for.
#pragma once
#include <windows.h>

namespace kvr::ui {

// Before the first paint; the token goes back to stop_gdiplus after the message loop.
ULONG_PTR start_gdiplus();
void stop_gdiplus(ULONG_PTR token);

// Per-monitor-v2 awareness where the system offers it, the older system-wide call otherwise.
// Called before the first window is created; the start window and the result card do without.
void enable_dpi_awareness();

} // namespace kvr::ui
