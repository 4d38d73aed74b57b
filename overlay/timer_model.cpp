#include "overlay/timer_model.h"

#include "common/text.h"
#include "overlay/field_numbers.h"
#include "ui_kit/race_time.h"

bool timer_poll(TimerState& t, std::string_view content, uint64_t now_ms) {
    if (!t.enabled) return false;
    if (content.empty()) {
        t.last_content.clear();
        return false;
    }
    if (content == t.last_content) return true;
    t.last_content.assign(content);
    const auto fields = kvr::split(content, '|');
    if (fields.size() < 4) return true;
    t.running = parse_int(fields[0]) == 1;
    t.base_seconds = parse_seconds(fields[1]);
    t.segment = parse_int(fields[2]);
    t.segment_name.assign(fields[3]);
    t.start_tick = now_ms;
    if (fields.size() > 4 && parse_int(fields[4]) == 1) t.running = false;
    if (!t.running)
        t.shown_seconds = t.base_seconds;
    else
        timer_refresh(t, now_ms);
    return true;
}

void timer_refresh(TimerState& t, uint64_t now_ms) {
    const double elapsed = t.running && now_ms >= t.start_tick
                               ? static_cast<double>(now_ms - t.start_tick) / 1000.0
                               : 0.0;
    t.shown_seconds = t.base_seconds + elapsed;
}

std::string timer_time_text(const TimerState& t) {
    return kvr::ui::race_time_text_padded(t.shown_seconds);
}

std::string timer_segment_text(const TimerState& t) {
    return "段 " + std::to_string(t.segment) + "  ·  " + t.segment_name;
}
