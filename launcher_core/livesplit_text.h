// What the launcher reads from LiveSplit's TCP server and writes into its settings.cfg.
//
// Times: LiveSplit answers "h:m:s" (current builds: "00:12:34.5600000") or "m:s" (older builds:
// "12:34.56"); the seconds may carry a fraction. "-" (current) and "0.00" (older) mean no time.
// A value is only taken when it is above zero; a negative time (a timer counting down from an
// offset) is no time either.
#pragma once
#include <optional>
#include <string>
#include <string_view>

std::optional<double> parse_livesplit_time(std::string_view reply);

// What LiveSplit said after a run.
struct LiveSplitReading {
    std::string phase;          // reply to "getcurrenttimerphase"; empty when none came
    std::optional<double> time; // the run time, in seconds
};

// The one line of a reply: everything before the first line feed, trimmed of blanks, tabs, CR
// and LF (older builds end replies with "\r\n", current ones with "\n").
std::string livesplit_reply_line(std::string_view received);

struct LayoutFix {
    std::string text;
    bool changed = false;
};

// Points every <LayoutPath> element of settings.cfg at `layout_path`. The path is written with
// the XML escapes a file name can need ('&', '<', '>'), so the file stays readable for LiveSplit;
// an element that already names it is left alone, and so is a damaged one (its value not
// followed by "</LayoutPath>"): nothing outside an element's value is ever replaced.
LayoutFix point_layout_at(std::string_view settings, std::string_view layout_path);
