// The overlay's three cards. The board and the timer repaint many times a second, so each keeps
// a painter that draws what rarely changes once with GDI+ and composes every frame from those
// layers (pixel_frame.h); the windows show the composed frame and the Windows tests check it.
// The notice card is painted once, straight through the kit.
#pragma once
#include "common/particles.h"
#include "overlay/board_model.h"
#include "common/pixel_frame.h"
#include "overlay/timer_model.h"
#include "ui_kit/gdiplus.h"

#include <map>
#include <string>
#include <vector>

struct TimerView {
    bool running = false;
    std::wstring time;    // "01:15.50"
    std::wstring segment; // "段 3  ·  Crypt"
    bool operator==(const TimerView&) const = default;
};
TimerView make_timer_view(const TimerState& t);

// The time changes every frame but only ever shows digits, ':' and '.', so each character is
// drawn once with GDI+ and the time is set from those pictures, as DrawString would lay it out.
struct TimeGlyph {
    kvr::PixelFrame picture; // the character drawn at kGlyphOrigin
    float advance = 0;       // how far the next character starts
};

// Frames are composed at the window's scale (window_table.h): `width` x `height` is the card's
// layout size, the frame is that times `scale` in pixels.
struct TimerPainter {
    kvr::PixelFrame background; // card, dot and segment line of `background_key`
    std::wstring background_key;
    float scale = 0;                     // the glyphs' and the background's
    std::map<wchar_t, TimeGlyph> glyphs; // at `scale`
    kvr::PixelFrame frame;
    kvr::PixelRect time_area; // where the time is drawn, in frame pixels
    int time_right = 0;       // right edge of the time just set, in frame pixels
};
const kvr::PixelFrame& compose_timer(TimerPainter& p, const TimerView& view, int width, int height,
                                     float scale = 1.0f);

// A snapshot of the board for one frame, taken under the overlay's lock.
struct BoardView {
    std::string week_label, week_window; // UTF-8, the window text with its "窗口 " prefix
    int difficulty_tab = 0;
    int ending_tab = 0;
    int last_clicked_tab = kNoTab;
    int slide_direction = 1;
    bool weekly_points = false;
    std::vector<BoardRow> rows;
    bool more = false;    // the list may miss rows (a cut board file): a "…" row follows them
    std::string rows_key; // which list of which board content
    int scroll = 0;
    double clock = 0;
    float slide = 0;
    float highlight = 0;
    std::vector<kvr::Particle> particles;
};
// Also brings the scroll offset inside its bound for the current rows.
BoardView make_board_view(BoardState& s, int width, int height);

struct BoardPainter {
    int width = 0, height = 0; // layout size
    float scale = 0;
    kvr::PixelFrame base;   // card, title, column headers, footer
    kvr::PixelFrame chrome; // base with the week texts, tabs and empty-list text of `chrome_key`
    std::string chrome_key;
    std::map<size_t, kvr::PixelFrame> pages; // ten rows each, of the list `pages_key`, in view
    std::string pages_key;
    kvr::PixelFrame frame;
};
const kvr::PixelFrame& compose_board(BoardPainter& p, const BoardView& view, int width, int height,
                                     float scale = 1.0f);

void paint_notice_card(Gdiplus::Graphics& g, int width, int height, const std::wstring& text);
