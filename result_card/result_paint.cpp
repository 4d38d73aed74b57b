#include "result_card/result_paint.h"

#include "ui_kit/card_text.h"
#include "ui_kit/data_files.h"
#include "ui_kit/race_time.h"
#include "ui_kit/shapes.h"

using Gdiplus::RectF;
using kvr::ui::Align;
using kvr::ui::Argb;

namespace {

// Every text on these cards stands out from the card by at least 4.5 : 1 (the usual legibility
// bar; the Windows tests measure it on the renders), the small hint lines included: a player
// glancing at the card must not have to squint.
constexpr Argb kBody = 0xFF6E5C46;  // messages, "Please wait"
constexpr Argb kMuted = 0xFF66553F; // the overline and the hints under the divider
constexpr Argb kAmber = 0xFF7E4E10; // difficulty and ending, "do not close the launcher"
constexpr Argb kNoTime = 0xFF6E5C46;

Argb title_colour(Outcome o) {
    switch (o) {
    case Outcome::uploaded:
        return 0xFF2F6B2B;
    case Outcome::failed:
        return 0xFFA63A22;
    default:
        return 0xFF5C4C3A; // neither good nor bad news: a plain dark brown
    }
}

// Four dots, one lit, centred on (cx, y): the same running dots as the start window.
void draw_activity_dots(Gdiplus::Graphics& g, int cx, int y, int phase) {
    for (int k = 0; k < 4; ++k)
        kvr::ui::fill_ellipse(
            g, RectF(static_cast<float>(cx - 24 + 16 * k), static_cast<float>(y), 7, 7),
            k == phase ? kvr::ui::kAccentGold : 0x5AD69646);
}

} // namespace

void paint_progress_card(Gdiplus::Graphics& g, int width, int height,
                         const ProgressCardView& view) {
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kResultFrame);
    const auto title = kvr::ui::make_font(26, true);
    const auto body = kvr::ui::make_font(15, false);
    const auto note = kvr::ui::make_font(14, true);
    const auto small = kvr::ui::make_font(13, false);
    kvr::ui::draw_text(g, L"Uploading result", *title, RectF(0, 52, w, 40), 0xFF463723,
                       Align::centre, Align::centre);
    kvr::ui::draw_text(g, L"Please wait", *body, RectF(0, 96, w, 24), kBody, Align::centre,
                       Align::centre);
    draw_activity_dots(g, width / 2, height / 2 + 2, view.dot_phase);
    kvr::ui::draw_text(g, L"do not close the launcher", *note, RectF(0, h - 92, w, 22), kAmber,
                       Align::centre, Align::centre);
    kvr::ui::draw_text(g, L"the result will show up automatically", *small, RectF(0, h - 36, w, 20),
                       kMuted, Align::centre, Align::centre);
}

FinalCardView final_card_view(const FinalCardText& t, int seconds_left) {
    FinalCardView v;
    v.outcome = t.outcome;
    v.time_known = t.time_known;
    v.title = kvr::ui::utf8_to_wide(t.title);
    v.time = kvr::ui::utf8_to_wide(t.time);
    v.labels = kvr::ui::utf8_to_wide(t.labels);
    v.rank_line = kvr::ui::utf8_to_wide(t.rank_line);
    v.message = kvr::ui::utf8_to_wide(t.message);
    v.launcher_hint = kvr::ui::utf8_to_wide(kLauncherHint);
    v.countdown = kvr::ui::utf8_to_wide(kvr::ui::countdown_text(kCloseHint, seconds_left));
    return v;
}

void paint_final_card(Gdiplus::Graphics& g, int width, int height, const FinalCardView& v) {
    const auto w = static_cast<float>(width);
    const auto h = static_cast<float>(height);
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kResultFrame);
    const auto overline = kvr::ui::make_font(13, false);
    const auto title = kvr::ui::make_font(28, true);
    const auto time = kvr::ui::make_font(48, true);
    const auto no_time = kvr::ui::make_font(48, false);
    const auto label = kvr::ui::make_font(13, true);
    const auto rank = kvr::ui::make_font(18, true);
    const auto body = kvr::ui::make_font(14, false);
    const auto hint = kvr::ui::make_font(13, false);

    kvr::ui::draw_text(g, L"KVR WEEKLY RACE", *overline, RectF(0, 25, w, 20), kMuted, Align::centre,
                       Align::centre);
    kvr::ui::draw_text(g, v.title, *title, RectF(20, 46, w - 40, 40), title_colour(v.outcome),
                       Align::centre, Align::centre);
    // Without a time its place shows an empty stopwatch in a light weight and a readable colour
    // (a faint bold one looked like a rendering fault); the card keeps its layout either way.
    kvr::ui::draw_text(g, v.time, v.time_known ? *time : *no_time, RectF(20, 90, w - 40, 62),
                       v.time_known ? kvr::ui::kCardInk : kNoTime, Align::centre, Align::centre);
    kvr::ui::draw_text(g, v.labels, *label, RectF(20, 154, w - 40, 20), kAmber, Align::centre,
                       Align::centre);

    // Without a rank the message sits in the middle of the free band above the divider.
    RectF message(36, 212, w - 72, 56);
    if (!v.rank_line.empty()) {
        const RectF pill(w / 2 - 130, 188, 260, 40);
        kvr::ui::fill_rounded_rect(g, pill, 20, 0xF6FBE0A4, 0xFFCE923A, 1.6f);
        kvr::ui::draw_text(g, v.rank_line, *rank, pill, 0xFF4A3416, Align::centre, Align::centre);
        message = RectF(36, 236, w - 72, 56);
    }
    kvr::ui::draw_text(g, v.message, *body, message, kBody, Align::centre, Align::centre);

    Gdiplus::Pen divider(Gdiplus::Color(0x3C968264), 1);
    g.DrawLine(&divider, 40.0f, h - 74, w - 40, h - 74);
    kvr::ui::draw_text(g, v.launcher_hint, *hint, RectF(0, h - 64, w, 20), kMuted, Align::centre,
                       Align::centre);
    kvr::ui::draw_text(g, v.countdown, *hint, RectF(0, h - 39, w, 20), kMuted, Align::centre,
                       Align::centre);
}
