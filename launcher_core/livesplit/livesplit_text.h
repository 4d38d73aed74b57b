// What the launcher reads from LiveSplit's TCP server and writes into its settings.cfg.
//
// Times: current builds answer "[d.]hh:mm:ss[.fffffff]" ("00:12:34.5600000"; "00:12:34" when the
// fraction is zero; "1.02:03:04.5000000" from a day on), older builds "m:ss.ff" or "h:mm:ss.ff"
// ("12:34.56", "26:03:04.50"). "-" (current) and "0.00" (older) mean no time. A value is only
// taken when it is above zero; a negative time (a timer counting down from an offset) is no
// time either. Every time is in the timing method LiveSplit is set to (real or game time).
#pragma once
#include <optional>
#include <string>
#include <string_view>

std::optional<double> parse_livesplit_time(std::string_view reply);

// What LiveSplit said at one moment (before the game, or after it).
struct LiveSplitReading {
    std::string phase;          // reply to "getcurrenttimerphase"; empty when none came
    std::optional<double> time; // the run time, in seconds
    // Reply to "getsplitindex" once "Ended": the number of segments of the run LiveSplit has
    // open. Nothing when not asked or not a number.
    std::optional<int> segments = std::nullopt;
};

// The reply to "getsplitindex": a whole number, or nothing.
std::optional<int> parse_split_index(std::string_view reply);

// How many segments a splits file (.lss) has: its <Segment> elements.
int count_lss_segments(std::string_view lss);

// LiveSplit's command line. LiveSplit reads a splits file only behind "-s" and a layout only
// behind "-l" (a bare path is ignored, and it opens the player's last splits instead); an empty
// layout adds no "-l".
std::string livesplit_command_line(std::string_view exe, std::string_view splits,
                                   std::string_view layout);

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
