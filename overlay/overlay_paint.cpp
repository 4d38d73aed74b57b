#include "overlay/overlay_paint.h"

#include "ui_kit/card_text.h"
#include "ui_kit/data_files.h"
#include "ui_kit/shapes.h"

#include <algorithm>
#include <cmath>

using Gdiplus::PointF;
using Gdiplus::RectF;
using kvr::ui::Align;
using kvr::ui::Argb;
using kvr::ui::with_alpha;

namespace {

RectF to_rect(const BoardRect& r) {
    return RectF(r.x, r.y, r.w, r.h);
}

float line_width(Gdiplus::Graphics& g, const std::wstring& text, const Gdiplus::Font& font) {
    const Gdiplus::StringFormat one_line(Gdiplus::StringFormatFlagsNoWrap, LANG_NEUTRAL);
    RectF box;
    g.MeasureString(text.c_str(), static_cast<INT>(text.size()), &font, PointF(0, 0), &one_line,
                    &box);
    return box.Width;
}

// Texts from files (names, week labels, the notice) go on one line. GDI+ would wrap a long one
// into the line below, and Wine draws no ellipsis, so the text is cut here to end in "…"
// inside its width.
std::wstring fit_line(Gdiplus::Graphics& g, const std::wstring& text, const Gdiplus::Font& font,
                      float width) {
    if (text.empty() || line_width(g, text, font) <= width) return text;
    size_t lo = 0, hi = text.size() - 1; // the longest head that fits with the ellipsis
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        if (line_width(g, text.substr(0, mid) + L"\u2026", font) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    if (lo > 0 && IS_HIGH_SURROGATE(text[lo - 1])) --lo; // never split a character
    return text.substr(0, lo) + L"\u2026";
}

void draw_line(Gdiplus::Graphics& g, const std::wstring& text, const Gdiplus::Font& font,
               const RectF& rect, Argb colour, Align horizontal) {
    kvr::ui::draw_text(g, fit_line(g, text, font, rect.Width), font, rect, colour, horizontal);
}

void draw_particles(Gdiplus::Graphics& g, const std::vector<kvr::Particle>& particles) {
    for (const kvr::Particle& p : particles) {
        const Argb rgb = (Argb{p.r} << 16) | (Argb{p.g} << 8) | p.b;
        kvr::ui::fill_ellipse(g, RectF(p.x - p.size / 2, p.y - p.size / 2, p.size, p.size),
                              with_alpha(kvr::particle_alpha(p), rgb));
    }
}

struct BoardFonts {
    std::unique_ptr<Gdiplus::Font> title = kvr::ui::make_font(26, true);
    std::unique_ptr<Gdiplus::Font> small = kvr::ui::make_font(16, false);
    std::unique_ptr<Gdiplus::Font> label = kvr::ui::make_font(17, false);
    std::unique_ptr<Gdiplus::Font> column = kvr::ui::make_font(16, true);
    std::unique_ptr<Gdiplus::Font> row = kvr::ui::make_font(17, false);
};

constexpr Argb kInk = 0xFF3C2E1E;
constexpr Argb kMuted = 0xE6826E55;
constexpr Argb kAmber = 0xFFAC7026;

void draw_board_header(Gdiplus::Graphics& g, float w, const BoardView& v, const BoardFonts& f) {
    // The accent bar is a rounded tab hanging from the top edge; only its lower half shows.
    Gdiplus::GraphicsPath bar;
    kvr::ui::rounded_rect_path(bar, RectF(24, -5, w - 48, 10), 5);
    auto gold = kvr::ui::linear_brush(PointF(0, 0), PointF(w, 0), kvr::ui::kAccentGold,
                                      kvr::ui::kAccentPale);
    g.FillPath(gold.get(), &bar);

    kvr::ui::draw_text(g, L"KVR 周赛排行榜", *f.title, RectF(18, 18, 320, 32), kInk, Align::start);
    draw_line(g, v.week_label, *f.small, RectF(w - 220, 24, 200, 22), kAmber, Align::end);
    draw_line(g, v.week_window, *f.small, RectF(18, 56, w - 36, 20), kMuted, Align::start);
}

void draw_tabs(Gdiplus::Graphics& g, const BoardLayout& l, const BoardView& v,
               const BoardFonts& f) {
    for (int k = 0; k < 3; ++k) {
        const RectF r = to_rect(l.difficulty_tabs[k]);
        const bool on = k == v.difficulty_tab;
        kvr::ui::fill_rounded_rect(g, r, 10, on ? 0xFCF2BE70 : 0xB4EEE0C6,
                                   on ? 0xEBC89448 : 0x78C8AC82, on ? 1.6f : 1.0f);
        kvr::ui::draw_text(g, kvr::ui::utf8_to_wide(kDifficultyTabs[k].label), *f.label,
                           RectF(r.X, r.Y + 8, r.Width, r.Height), on ? 0xFF3E2E18 : kInk,
                           Align::centre);
    }
    for (int k = 0; k < 4; ++k) {
        const RectF r = to_rect(l.ending_tabs[k]);
        const bool on = k == v.ending_tab;
        kvr::ui::fill_rounded_rect(g, r, 9, on ? 0xF0FAD29E : 0xB9EEE0C6,
                                   on ? 0xFFAC7026 : 0x78C8AC82, on ? 1.4f : 0.8f);
        kvr::ui::draw_text(g, kvr::ui::utf8_to_wide(kEndingTabs[k].label), *f.label,
                           RectF(r.X, r.Y + 7, r.Width, r.Height), on ? 0xFF463012 : kMuted,
                           Align::centre);
    }
}

void draw_column_headers(Gdiplus::Graphics& g, const RectF& list, const BoardFonts& f) {
    kvr::ui::fill_rounded_rect(g, RectF(list.X, list.Y, list.Width, 30), 7, 0x78E6D6BC, 0, 0);
    const float x = list.X, y = list.Y + 7;
    kvr::ui::draw_text(g, L"名次", *f.column, RectF(x + 12, y, 60, 20), kMuted, Align::start);
    kvr::ui::draw_text(g, L"玩家", *f.column, RectF(x + 80, y, 240, 20), kMuted, Align::start);
    kvr::ui::draw_text(g, L"成绩", *f.column, RectF(x + 360, y, 120, 20), kMuted, Align::end);
    kvr::ui::draw_text(g, L"积分", *f.column, RectF(x + 500, y, 120, 20), kMuted, Align::end);
}

void draw_row(Gdiplus::Graphics& g, const RectF& list, float t, size_t j, const BoardRowView& row,
              const BoardView& v, const BoardFonts& f) {
    const float x = list.X, width = list.Width;
    Argb text = kInk, rank = kMuted;
    switch (row_look(j)) {
    case RowLook::Gold: {
        const double p = 0.6 + 0.4 * std::sin(3 * v.clock);
        kvr::ui::fill_rounded_rect(g, RectF(x + 2, t + 1, width - 4, 38), 9,
                                   with_alpha(static_cast<int>(p * 60 + 80), 0xFFD678),
                                   with_alpha(static_cast<int>(p * 200), 0xE2A83C), 1.6f);
        kvr::ui::fill_rounded_rect(g, RectF(x + 4, t + 6, 4, 28), 2, 0xFFD68C28, 0, 0);
        text = rank = 0xFF965A0A;
        break;
    }
    case RowLook::Silver:
        kvr::ui::fill_rounded_rect(g, RectF(x + 2, t + 2, width - 4, 36), 8, 0x78E4E2DC, 0x96AAA8A0,
                                   1);
        text = rank = 0xFF5A5A5A;
        break;
    case RowLook::Bronze:
        kvr::ui::fill_rounded_rect(g, RectF(x + 2, t + 2, width - 4, 36), 8, 0x6EE8C8A0, 0x8CB09678,
                                   1);
        text = rank = 0xFF846034;
        break;
    case RowLook::Band:
        kvr::ui::fill_rounded_rect(g, RectF(x + 2, t + 2, width - 4, 36), 8, 0x46ECE2CD, 0, 0);
        break;
    case RowLook::Plain:
        break;
    }
    const float y = t + 9;
    draw_line(g, row.rank, *f.row, RectF(x + 14, y, 50, 22), rank, Align::start);
    draw_line(g, row.player, *f.row, RectF(x + 80, y, 260, 22), text, Align::start);
    if (v.weekly_points) {
        draw_line(g, row.points, *f.row, RectF(x + 500, y, 120, 22), text, Align::end);
    } else {
        kvr::ui::draw_text(g, row.time, *f.row, RectF(x + 360, y, 120, 22), text, Align::end);
        draw_line(g, row.points, *f.row, RectF(x + 500, y, 120, 22), kAmber, Align::end);
    }
}

void draw_rows(Gdiplus::Graphics& g, const BoardLayout& l, const BoardView& v,
               const BoardFonts& f) {
    const RectF list = to_rect(l.list);
    const RectF clip(list.X, list.Y + 34, list.Width, l.visible_rows_height);
    const Gdiplus::GraphicsState saved = g.Save();
    g.SetClip(clip);
    // A tab switch slides the new list in from the side it was chosen on.
    const float s2 = v.slide * v.slide;
    g.TranslateTransform(static_cast<float>(v.slide_direction) * 42 * s2,
                         -static_cast<float>(v.slide_direction) * 12 * s2);
    for (size_t j = 0; j < v.rows.size(); ++j) {
        const float t = list.Y + 38 - static_cast<float>(v.scroll) + 40 * static_cast<float>(j);
        // The slide moves rows by up to 12 px; cull with that much to spare.
        if (t + 52 <= clip.Y) continue;
        if (t - 12 >= clip.Y + clip.Height) break;
        draw_row(g, list, t, j, v.rows[j], v, f);
    }
    g.Restore(saved);
}

void draw_slide_sweep(Gdiplus::Graphics& g, const BoardLayout& l, float s) {
    if (s <= 0) return;
    const float c = l.list.x + (1 - s) * l.list.w;
    const kvr::ui::GradientStop stops[3] = {
        {0x00FFD682, 0}, {with_alpha(static_cast<int>(s * 120), 0xFFDC96), 0.5f}, {0x00FFD682, 1}};
    auto band = kvr::ui::three_stop_brush(PointF(c - 110, 0), PointF(c + 110, 0), stops);
    g.FillRectangle(band.get(), RectF(c - 110, l.list.y + 34, 220, l.visible_rows_height));
}

void draw_highlight_ring(Gdiplus::Graphics& g, const BoardLayout& l, const BoardView& v) {
    if (v.highlight <= 0 || v.last_clicked_tab == kNoTab) return;
    const BoardRect& tab = v.last_clicked_tab < kEndingTabBase
                               ? l.difficulty_tabs[v.last_clicked_tab]
                               : l.ending_tabs[v.last_clicked_tab - kEndingTabBase];
    const float grow = (1 - v.highlight) * 26;
    kvr::ui::stroke_rounded_rect(
        g, RectF(tab.x - grow, tab.y - grow, tab.w + 2 * grow, tab.h + 2 * grow), 15,
        with_alpha(static_cast<int>(v.highlight * 160), 0xE2A83C), 2.5f);
}

} // namespace

TimerView make_timer_view(const TimerState& t) {
    return {t.running, kvr::ui::utf8_to_wide(timer_time_text(t)),
            kvr::ui::utf8_to_wide(timer_segment_text(t))};
}

void paint_timer_card(Gdiplus::Graphics& g, int width, int height, const TimerView& view) {
    const auto w = static_cast<float>(width);
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kTimerFrame);
    kvr::ui::fill_ellipse(g, RectF(18, 22, 11, 11), view.running ? 0xFF6EC878 : 0xFFBEA58C);
    const auto big = kvr::ui::make_font(44, true);
    const auto small = kvr::ui::make_font(15, false);
    kvr::ui::draw_text(g, view.time, *big, RectF(38, 2, 340, 56), 0xFF3C2E1E, Align::start);
    draw_line(g, view.segment, *small, RectF(38, 64, w - 60, 22), 0xFF826E55, Align::start);
}

BoardView make_board_view(BoardState& s, int width, int height) {
    const BoardLayout l = board_layout(static_cast<float>(width), static_cast<float>(height));
    const std::vector<BoardRow>& rows = rows_to_show(s);
    clamp_scroll(s, rows.size(), l.visible_rows_height);
    BoardView v;
    v.week_label = kvr::ui::utf8_to_wide(s.board.week_label);
    v.week_window = kvr::ui::utf8_to_wide(week_window_text(s.board));
    v.difficulty_tab = s.difficulty_tab;
    v.ending_tab = s.ending_tab;
    v.last_clicked_tab = s.last_clicked_tab;
    v.slide_direction = s.slide_direction;
    v.weekly_points = shows_weekly_points(s);
    v.scroll = s.scroll;
    v.clock = s.clock;
    v.slide = s.slide;
    v.highlight = s.highlight;
    v.particles = s.particles;
    // Only the rows that can show in the list are converted.
    const size_t first = static_cast<size_t>(std::max(0, s.scroll - 60) / 40);
    const size_t count = static_cast<size_t>(l.visible_rows_height / 40) + 4;
    v.rows.resize(rows.size());
    for (size_t j = first; j < rows.size() && j < first + count; ++j) {
        BoardRowView& r = v.rows[j];
        r.rank = kvr::ui::utf8_to_wide(rows[j].rank);
        r.player = kvr::ui::utf8_to_wide(rows[j].player);
        if (!v.weekly_points) r.time = kvr::ui::utf8_to_wide(row_time_text(rows[j]));
        r.points = kvr::ui::utf8_to_wide(row_points_text(rows[j]));
    }
    return v;
}

void paint_board_card(Gdiplus::Graphics& g, int width, int height, const BoardView& v) {
    const auto w = static_cast<float>(width);
    const BoardLayout l = board_layout(w, static_cast<float>(height));
    const BoardFonts f;
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kBoardFrame);
    draw_board_header(g, w, v, f);
    draw_tabs(g, l, v, f);
    draw_column_headers(g, to_rect(l.list), f);
    draw_rows(g, l, v, f);
    draw_slide_sweep(g, l, v.slide);
    if (v.rows.empty())
        kvr::ui::draw_text(g, L"暂无成绩，快来第一个上榜", *f.label,
                           RectF(l.list.x, l.list.y + 90, l.list.w, 26), kMuted, Align::centre);
    draw_particles(g, v.particles);
    draw_highlight_ring(g, l, v);
    kvr::ui::draw_text(g, L"滚轮上下滚动  ·  点击标签切换  ·  F9 关闭", *f.small, to_rect(l.footer),
                       kMuted, Align::centre);
}

void paint_notice_card(Gdiplus::Graphics& g, int width, int height, const std::wstring& text) {
    const auto w = static_cast<float>(width);
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kNoticeFrame);
    const auto caption = kvr::ui::make_font(14, false);
    const auto big = kvr::ui::make_font(36, true);
    const auto hint = kvr::ui::make_font(13, false);
    kvr::ui::draw_text(g, L"本次登记难度", *caption, RectF(30, 14, w - 60, 24), 0xFF8C7860,
                       Align::start);
    draw_line(g, text, *big, RectF(30, 42, w - 60, 52), 0xFF3A2C1C, Align::start);
    kvr::ui::draw_text(g, L"请在游戏内选择相同难度再开始 · 游戏启动后自动关闭", *hint,
                       RectF(30, 102, w - 60, 24), 0xFF968269, Align::start);
}
