// kvr_overlay --notice <text>.
#pragma once
#include <string>

// One card with `text` until the game runs or three minutes have passed; the exit code.
int run_notice_mode(const std::wstring& text);
