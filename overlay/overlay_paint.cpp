#include "overlay/overlay_paint.h"

#include "ui_kit/frame_render.h"
#include "ui_kit/card_text.h"
#include "ui_kit/data_files.h"
#include "ui_kit/shapes.h"

#include <algorithm>
#include <cmath>

using Gdiplus::PointF;
using Gdiplus::RectF;
using kvr::PixelFrame;
using kvr::PixelRect;
using kvr::ui::Align;
using kvr::ui::Argb;
using kvr::ui::draw_into;
using kvr::ui::TextOn;
using kvr::ui::utf8_to_wide;
using kvr::ui::with_alpha;

namespace {

constexpr Argb kMuted = 0xE6826E55;
constexpr int kRowsPerPage = 10;
constexpr int kRowPitch = 40;

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
    // No glyph is narrower than 3 px at these sizes: what lies past that many characters is cut
    // unmeasured. Measuring a name of thousands of distinct characters would fill GDI+'s glyph
    // cache, and the overlay's memory with it.
    size_t head = std::min(text.size(), static_cast<size_t>(width / 3) + 2);
    if (head < text.size() && IS_HIGH_SURROGATE(text[head - 1])) --head;
    if (head == text.size() && (text.empty() || line_width(g, text, font) <= width)) return text;
    size_t lo = 0, hi = head; // the longest head that fits with the ellipsis
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

Argb rgb_of(const kvr::Particle& p) {
    return (Argb{p.r} << 16) | (Argb{p.g} << 8) | p.b;
}

int round_px(float v) {
    return static_cast<int>(std::lround(v));
}

using kvr::scaled;
using kvr::scaled_rect;

// ---- board layers ----

struct BoardFonts {
    std::unique_ptr<Gdiplus::Font> title = kvr::ui::make_font(26, true);
    std::unique_ptr<Gdiplus::Font> small = kvr::ui::make_font(16, false);
    std::unique_ptr<Gdiplus::Font> label = kvr::ui::make_font(17, false);
    std::unique_ptr<Gdiplus::Font> column = kvr::ui::make_font(16, true);
    std::unique_ptr<Gdiplus::Font> row = kvr::ui::make_font(17, false);
};

// What never changes: the card with its hanging accent bar, title, column headers and footer.
void draw_board_base(Gdiplus::Graphics& g, int width, int height, const BoardLayout& l) {
    const auto w = static_cast<float>(width);
    const BoardFonts f;
    kvr::ui::draw_card_frame(g, width, height, kvr::ui::kBoardFrame);
    // The accent bar is a rounded tab hanging from the top edge; only its lower half shows.
    Gdiplus::GraphicsPath bar;
    kvr::ui::rounded_rect_path(bar, RectF(24, -5, w - 48, 10), 5);
    auto gold = kvr::ui::linear_brush(PointF(0, 0), PointF(w, 0), kvr::ui::kAccentGold,
                                      kvr::ui::kAccentPale);
    g.FillPath(gold.get(), &bar);
    kvr::ui::draw_text(g, L"KVR 周赛排行榜", *f.title, RectF(18, 18, 320, 32), kvr::ui::kCardInk,
                       Align::start);

    const RectF list = to_rect(l.list);
    kvr::ui::fill_rounded_rect(g, RectF(list.X, list.Y, list.Width, 30), 7, 0x78E6D6BC, 0, 0);
    const float x = list.X, y = list.Y + 7;
    kvr::ui::draw_text(g, L"名次", *f.column, RectF(x + 12, y, 60, 20), kMuted, Align::start);
    kvr::ui::draw_text(g, L"玩家", *f.column, RectF(x + 80, y, 240, 20), kMuted, Align::start);
    kvr::ui::draw_text(g, L"成绩", *f.column, RectF(x + 360, y, 120, 20), kMuted, Align::end);
    kvr::ui::draw_text(g, L"积分", *f.column, RectF(x + 500, y, 120, 20), kMuted, Align::end);
    kvr::ui::draw_text(g, L"滚轮上下滚动  ·  点击标签切换  ·  F9 关闭", *f.small, to_rect(l.footer),
                       kMuted, Align::centre);
}

// What changes with the tab selection or the board file: week texts, tabs, the empty-list text.
// The tab shapes are filled in memory (fast even under Wine), their labels drawn with GDI+.
void fill_tabs(PixelFrame& out, const BoardLayout& l, const BoardView& v, float s) {
    for (int k = 0; k < 3; ++k) {
        const BoardRect& r = l.difficulty_tabs[k];
        const bool on = k == v.difficulty_tab;
        kvr::fill_rounded(out, scaled({r.x, r.y, r.w, r.h, 10}, s), on ? 0xFCF2BE70 : 0xB4EEE0C6,
                          on ? 0xEBC89448 : 0x78C8AC82, (on ? 1.6f : 1.0f) * s, out.bounds());
    }
    for (int k = 0; k < 4; ++k) {
        const BoardRect& r = l.ending_tabs[k];
        const bool on = k == v.ending_tab;
        kvr::fill_rounded(out, scaled({r.x, r.y, r.w, r.h, 9}, s), on ? 0xF0FAD29E : 0xB9EEE0C6,
                          on ? 0xFFAC7026 : 0x78C8AC82, (on ? 1.4f : 0.8f) * s, out.bounds());
    }
}

void draw_board_chrome(Gdiplus::Graphics& g, float w, const BoardLayout& l, const BoardView& v) {
    const BoardFonts f;
    draw_line(g, utf8_to_wide(v.week_label), *f.small, RectF(w - 220, 24, 200, 22),
              kvr::ui::kCardAmber, Align::end);
    draw_line(g, utf8_to_wide(v.week_window), *f.small, RectF(18, 56, w - 36, 20), kMuted,
              Align::start);
    for (int k = 0; k < 3; ++k) {
        const RectF r = to_rect(l.difficulty_tabs[k]);
        kvr::ui::draw_text(g, utf8_to_wide(kDifficultyTabs[k].label), *f.label,
                           RectF(r.X, r.Y + 8, r.Width, r.Height),
                           k == v.difficulty_tab ? 0xFF3E2E18 : kvr::ui::kCardInk, Align::centre);
    }
    for (int k = 0; k < 4; ++k) {
        const RectF r = to_rect(l.ending_tabs[k]);
        kvr::ui::draw_text(g, utf8_to_wide(kEndingTabs[k].label), *f.label,
                           RectF(r.X, r.Y + 7, r.Width, r.Height),
                           k == v.ending_tab ? 0xFF463012 : kMuted, Align::centre);
    }
    // A list cut before its first row is no empty list: its "…" row says rows are missing.
    if (v.rows.empty() && !v.more)
        kvr::ui::draw_text(g, L"暂无成绩，快来第一个上榜", *f.label,
                           RectF(l.list.x, l.list.y + 90, l.list.w, 26), kMuted, Align::centre);
}

// Rows are drawn on pages whose x = 0 is the list's left edge. The first row's band pulses and
// is drawn per frame; its marker and every other band are filled here, in memory.
void fill_row_band(PixelFrame& out, float width, float t, size_t j, float s) {
    const PixelRect all = out.bounds();
    const kvr::RoundedBox band = scaled({2, t + 2, width - 4, 36, 8}, s);
    switch (row_look(j)) {
    case RowLook::Gold:
        kvr::fill_rounded(out, scaled({4, t + 6, 4, 28, 2}, s), 0xFFD68C28, 0, 0, all);
        break;
    case RowLook::Silver:
        kvr::fill_rounded(out, band, 0x78E4E2DC, 0x96AAA8A0, s, all);
        break;
    case RowLook::Bronze:
        kvr::fill_rounded(out, band, 0x6EE8C8A0, 0x8CB09678, s, all);
        break;
    case RowLook::Band:
        kvr::fill_rounded(out, band, 0x46ECE2CD, 0, 0, all);
        break;
    case RowLook::Plain:
        break;
    }
}

void draw_row_texts(Gdiplus::Graphics& g, float t, size_t j, const BoardRow& row,
                    bool weekly_points, const BoardFonts& f) {
    Argb text = kvr::ui::kCardInk, rank = kMuted;
    switch (row_look(j)) {
    case RowLook::Gold:
        text = rank = 0xFF965A0A;
        break;
    case RowLook::Silver:
        text = rank = 0xFF5A5A5A;
        break;
    case RowLook::Bronze:
        text = rank = 0xFF846034;
        break;
    default:
        break;
    }
    const float y = t + 9;
    draw_line(g, utf8_to_wide(row.rank), *f.row, RectF(14, y, 50, 22), rank, Align::start);
    draw_line(g, utf8_to_wide(row.player), *f.row, RectF(80, y, 260, 22), text, Align::start);
    const std::wstring points = utf8_to_wide(row_points_text(row));
    if (weekly_points) {
        draw_line(g, points, *f.row, RectF(500, y, 120, 22), text, Align::end);
    } else {
        kvr::ui::draw_text(g, utf8_to_wide(row_time_text(row)), *f.row, RectF(360, y, 120, 22),
                           text, Align::end);
        draw_line(g, points, *f.row, RectF(500, y, 120, 22), kvr::ui::kCardAmber, Align::end);
    }
}

// A page is kRowsPerPage rows; its height in frame pixels.
int page_px(float s) {
    return round_px(static_cast<float>(kRowsPerPage * kRowPitch) * s);
}

// The rows drawn, the "…" row of a list that may miss some included.
size_t drawn_rows(const BoardView& v) {
    return v.rows.size() + (v.more ? 1 : 0);
}

PixelFrame render_page(const BoardView& v, size_t page, float list_width, float s) {
    PixelFrame out(round_px(list_width * s), page_px(s));
    const size_t first = page * kRowsPerPage;
    const size_t rows = std::min(v.rows.size(), first + kRowsPerPage);
    const size_t end = std::min(drawn_rows(v), first + kRowsPerPage);
    auto top = [&](size_t j) { return static_cast<float>((j - first) * kRowPitch); };
    for (size_t j = first; j < rows; ++j)
        fill_row_band(out, list_width, top(j), j, s);
    draw_into(
        out,
        [&](Gdiplus::Graphics& g) {
            const BoardFonts f;
            for (size_t j = first; j < rows; ++j)
                draw_row_texts(g, top(j), j, v.rows[j], v.weekly_points, f);
            if (end > rows) // the list goes on beyond what was read
                kvr::ui::draw_text(g, L"\u2026", *f.row, RectF(80, top(rows) + 9, 260, 22), kMuted,
                                   Align::start);
        },
        TextOn::transparent, s);
    return out;
}

std::string chrome_key_of(const BoardView& v) {
    return v.week_label + '\n' + v.week_window + '\n' + std::to_string(v.difficulty_tab) + '/' +
           std::to_string(v.ending_tab) + (v.rows.empty() ? "/empty" : "/rows");
}

void refresh_layers(BoardPainter& p, const BoardView& v, int width, int height, float s,
                    const BoardLayout& l) {
    if (p.width != width || p.height != height || p.scale != s || p.base.px.empty()) {
        p = BoardPainter{};
        p.width = width;
        p.height = height;
        p.scale = s;
        p.base = PixelFrame(round_px(static_cast<float>(width) * s),
                            round_px(static_cast<float>(height) * s));
        draw_into(
            p.base, [&](Gdiplus::Graphics& g) { draw_board_base(g, width, height, l); },
            TextOn::card, s);
    }
    const std::string chrome_key = chrome_key_of(v);
    if (chrome_key != p.chrome_key || p.chrome.px.empty()) {
        p.chrome = p.base;
        fill_tabs(p.chrome, l, v, s);
        draw_into(
            p.chrome,
            [&](Gdiplus::Graphics& g) { draw_board_chrome(g, static_cast<float>(width), l, v); },
            TextOn::card, s);
        p.chrome_key = chrome_key;
    }
    if (v.rows_key != p.pages_key) {
        p.pages.clear();
        p.pages_key = v.rows_key;
    }
}

void compose_rows(BoardPainter& p, const BoardView& v, const BoardLayout& l, float s) {
    const PixelRect clip = scaled_rect(l.list.x, l.list.y + 34, l.list.w, l.visible_rows_height, s);
    const float s2 = v.slide * v.slide;
    const int dx = round_px(static_cast<float>(v.slide_direction) * 42 * s2);
    const int dy = round_px(-static_cast<float>(v.slide_direction) * 12 * s2);
    // Row 0's top-left corner, in layout pixels and in frame pixels.
    const float top = std::round(l.list.y + 38) - static_cast<float>(v.scroll - dy);
    const float left = std::round(l.list.x) + static_cast<float>(dx);
    if (drawn_rows(v) == 0) return;

    if (!v.rows.empty()) {
        const double pulse = 0.6 + 0.4 * std::sin(3 * v.clock);
        kvr::fill_rounded(p.frame, scaled({left + 2, top + 1, l.list.w - 4, 38, 9}, s),
                          with_alpha(static_cast<int>(pulse * 60 + 80), 0xFFD678),
                          with_alpha(static_cast<int>(pulse * 200), kvr::ui::kRingGold), 1.6f * s,
                          clip);
    }

    const int page_height = page_px(s);
    const int top_px = round_px(top * s), left_px = round_px(left * s);
    const int first = std::max(0, clip.y - top_px) / page_height;
    const int last = std::max(0, clip.y + clip.h - top_px) / page_height;
    // Only the pages in view are kept: scrolled through, a long list would otherwise keep a
    // picture of every row (a page scrolled back into view is drawn anew).
    std::erase_if(p.pages, [&](const auto& page) {
        const int index = static_cast<int>(page.first);
        return index < first || index > last;
    });
    for (int page = first; page <= last; ++page) {
        const auto index = static_cast<size_t>(page);
        if (index * kRowsPerPage >= drawn_rows(v)) break;
        auto it = p.pages.find(index);
        if (it == p.pages.end())
            it = p.pages.emplace(index, render_page(v, index, l.list.w, s)).first;
        kvr::blend_layer(p.frame, it->second, left_px, top_px + page * page_height, clip);
    }
}

void compose_effects(BoardPainter& p, const BoardView& v, const BoardLayout& l, float s) {
    if (v.slide > 0) {
        // A light band runs across the list while a new tab slides in.
        const float c = l.list.x + (1 - v.slide) * l.list.w;
        kvr::fill_sweep(p.frame, c * s, 110 * s,
                        scaled_rect(c - 110, l.list.y + 34, 220, l.visible_rows_height, s),
                        with_alpha(static_cast<int>(v.slide * 120), 0xFFDC96));
    }
    for (const kvr::Particle& q : v.particles)
        kvr::fill_circle(p.frame, q.x * s, q.y * s, q.size * s,
                         with_alpha(kvr::particle_alpha(q), rgb_of(q)));
    if (v.highlight > 0 && v.last_clicked_tab != kNoTab) {
        // A ring around the clicked tab that widens and fades.
        const BoardRect& tab = v.last_clicked_tab < kEndingTabBase
                                   ? l.difficulty_tabs[v.last_clicked_tab]
                                   : l.ending_tabs[v.last_clicked_tab - kEndingTabBase];
        const float grow = (1 - v.highlight) * 26;
        kvr::fill_rounded(
            p.frame,
            scaled({tab.x - grow, tab.y - grow, tab.w + 2 * grow, tab.h + 2 * grow, 15}, s), 0,
            with_alpha(static_cast<int>(v.highlight * 160), kvr::ui::kRingGold), 2.5f * s,
            p.frame.bounds());
    }
}

} // namespace

// ---- timer ----

TimerView make_timer_view(const TimerState& t) {
    return {t.running, utf8_to_wide(timer_time_text(t)), utf8_to_wide(timer_segment_text(t))};
}

namespace {

constexpr int kGlyphOrigin = 20; // room for a glyph reaching left of its box
const RectF kTimeRect(38, 2, 340, 56);

// Glyphs are drawn and measured in frame pixels (a font `scale` times larger, no transform), so
// the advances that place them are the ones GDI+ lays out at that size.
TimeGlyph draw_glyph(wchar_t c, float s) {
    TimeGlyph glyph;
    glyph.picture = PixelFrame(round_px(96 * s), round_px(kTimeRect.Height * s));
    const RectF box(kGlyphOrigin * s, 0, 76 * s, kTimeRect.Height * s);
    draw_into(
        glyph.picture,
        [&](Gdiplus::Graphics& g) {
            const auto font = kvr::ui::make_font(44 * s, true);
            const wchar_t text[2] = {c, 0};
            kvr::ui::draw_text(g, text, *font, box, 0xFF3C2E1E, Align::start);
            // The character's own box, as DrawString lays it out, gives its advance.
            const auto format = kvr::ui::text_format(Align::start, Align::start);
            const Gdiplus::CharacterRange range(0, 1);
            format->SetMeasurableCharacterRanges(1, &range);
            Gdiplus::Region region;
            if (g.MeasureCharacterRanges(text, 1, font.get(), box, format.get(), 1, &region) ==
                Gdiplus::Ok) {
                RectF bounds;
                region.GetBounds(&bounds, &g);
                glyph.advance = bounds.Width;
            }
        },
        TextOn::transparent);
    return glyph;
}

void set_time(TimerPainter& p, const std::wstring& time, float s) {
    float pen = (kTimeRect.X - kGlyphOrigin) * s;
    const int top = round_px(kTimeRect.Y * s);
    for (wchar_t c : time) {
        auto it = p.glyphs.find(c);
        if (it == p.glyphs.end()) it = p.glyphs.emplace(c, draw_glyph(c, s)).first;
        kvr::blend_layer(p.frame, it->second.picture, round_px(pen), top, p.frame.bounds());
        pen += it->second.advance;
    }
    p.time_right = std::min(p.frame.width, round_px(pen + (kGlyphOrigin + 8) * s));
}

} // namespace

const PixelFrame& compose_timer(TimerPainter& p, const TimerView& view, int width, int height,
                                float s) {
    if (p.scale != s) {
        p.glyphs.clear();
        p.background_key.clear();
        p.scale = s;
    }
    const std::wstring key = (view.running ? L"1" : L"0") + view.segment;
    if (key != p.background_key || p.background.px.empty()) {
        p.background = PixelFrame(round_px(static_cast<float>(width) * s),
                                  round_px(static_cast<float>(height) * s));
        draw_into(
            p.background,
            [&](Gdiplus::Graphics& g) {
                kvr::ui::draw_card_frame(g, width, height, kvr::ui::kTimerFrame);
                kvr::ui::fill_ellipse(g, RectF(18, 22, 11, 11),
                                      view.running ? 0xFF6EC878 : 0xFFBEA58C);
                const auto small = kvr::ui::make_font(15, false);
                draw_line(g, view.segment, *small,
                          RectF(38, 64, static_cast<float>(width) - 60, 22), 0xFF826E55,
                          Align::start);
            },
            TextOn::card, s);
        p.background_key = key;
    }
    p.time_area = scaled_rect(kTimeRect.X, kTimeRect.Y, kTimeRect.Width, kTimeRect.Height, s);
    p.frame = p.background;
    set_time(p, view.time, s);
    return p.frame;
}

// ---- board ----

BoardView make_board_view(BoardState& s, int width, int height) {
    const BoardLayout l = board_layout(static_cast<float>(width), static_cast<float>(height));
    const std::vector<BoardRow>& rows = rows_to_show(s);
    const bool more = shown_list_is_cut(s);
    clamp_scroll(s, rows.size() + (more ? 1 : 0), l.visible_rows_height);
    BoardView v;
    v.week_label = s.board.week_label;
    v.week_window = week_window_text(s.board);
    v.difficulty_tab = s.difficulty_tab;
    v.ending_tab = s.ending_tab;
    v.last_clicked_tab = s.last_clicked_tab;
    v.slide_direction = s.slide_direction;
    v.weekly_points = shows_weekly_points(s);
    v.rows = rows;
    v.more = more;
    v.rows_key = std::to_string(s.generation) + '/' + std::to_string(s.difficulty_tab) + '/' +
                 std::to_string(s.ending_tab);
    v.scroll = s.scroll;
    v.clock = s.clock;
    v.slide = s.slide;
    v.highlight = s.highlight;
    v.particles = s.particles;
    return v;
}

const PixelFrame& compose_board(BoardPainter& p, const BoardView& v, int width, int height,
                                float s) {
    const BoardLayout l = board_layout(static_cast<float>(width), static_cast<float>(height));
    refresh_layers(p, v, width, height, s, l);
    p.frame = p.chrome;
    compose_rows(p, v, l, s);
    compose_effects(p, v, l, s);
    return p.frame;
}

// ---- notice ----

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
