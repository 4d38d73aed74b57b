// The race timer strip's data: timer.txt as the overlay reads it, and the time the strip shows.
//
// timer.txt contract: one record. The content is split at every '|' into fields, empty fields
// kept, the last field running to the end of the file (a trailing line end stays part of it);
// nothing is trimmed. Field 0 is the running flag (running when it converts to 1), field 1 the
// base time in seconds (what the in-game script showed when it wrote the file), field 2 the
// segment number, field 3 the segment name (UTF-8, shown as is), and an optional field 4 the
// stop flag (1 shows the base time stopped, whatever field 0 says). Numbers convert like
// strtol/strtod: a field that holds no number is 0. A content with fewer than four fields is
// remembered, so it is not looked at again, but changes nothing.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct TimerState {
    bool running = false;
    double base_seconds = 0;
    uint64_t start_tick = 0; // ms, when the current content was parsed
    double shown_seconds = 0;
    int segment = 0;
    std::string segment_name; // UTF-8
    std::string last_content;
    bool enabled = true; // timer.enabled switch
};

// One poll of timer.txt with its current content. Returns whether the strip should be visible:
// never while the switch is off, never for an empty file (which also forgets the last content,
// so the same text written again is parsed anew), otherwise always.
bool timer_poll(TimerState& t, std::string_view content, uint64_t now_ms);

// The 30 ms refresh: base time plus the time since the content was parsed while running.
void timer_refresh(TimerState& t, uint64_t now_ms);

// The strip's big time text, "01:15.50".
std::string timer_time_text(const TimerState& t);

// The strip's second line, "段 <number>  ·  <name>" (UTF-8).
std::string timer_segment_text(const TimerState& t);

// "timer.enabled" and "board.toggle" count only whether a character occurs anywhere in them.
inline bool switch_file_has(std::string_view content, char c) {
    return content.find(c) != std::string_view::npos;
}
