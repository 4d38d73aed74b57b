// The overlay's three cards. Each paint function draws one view (a snapshot of the shared
// state, texts already wide) on a graphics object; the windows call them through
// paint_buffered and the Windows tests through render_card.
#pragma once
#include "common/particles.h"
#include "overlay/board_model.h"
#include "overlay/timer_model.h"
#include "ui_kit/gdiplus.h"

#include <string>
#include <vector>

struct TimerView {
    bool running = false;
    std::wstring time;    // "01:15.50"
    std::wstring segment; // "段 3  ·  Crypt"
    bool operator==(const TimerView&) const = default;
};
TimerView make_timer_view(const TimerState& t);
void paint_timer_card(Gdiplus::Graphics& g, int width, int height, const TimerView& view);

struct BoardRowView {
    std::wstring rank, player, time, points; // time empty on the weekly points tab
};

struct BoardView {
    std::wstring week_label;
    std::wstring week_window; // "窗口 ..."
    int difficulty_tab = 0;
    int ending_tab = 0;
    int last_clicked_tab = kNoTab;
    int slide_direction = 1;
    bool weekly_points = false;
    std::vector<BoardRowView> rows;
    int scroll = 0;
    double clock = 0;
    float slide = 0;
    float highlight = 0;
    std::vector<kvr::Particle> particles;
};
// Snapshot for one paint; also brings the scroll offset inside its bound for the current rows.
BoardView make_board_view(BoardState& s, int width, int height);
void paint_board_card(Gdiplus::Graphics& g, int width, int height, const BoardView& view);

void paint_notice_card(Gdiplus::Graphics& g, int width, int height, const std::wstring& text);
