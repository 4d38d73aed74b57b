// The leaderboard board: board.tsv, the tab and scroll state, the animations and the layout.
// The window draws this model and forwards clicks, the wheel and its 16 ms tick to it.
//
// board.tsv (and board.demo.tsv) contract: UTF-8 text, lines separated by LF, a CR at the end
// of a line dropped, empty lines skipped. Each line is split at every tab (empty fields kept,
// nothing trimmed); field 0 is the line kind:
//   WEEK  label  window                               (3+ fields; the last WEEK line wins)
//   R     difficulty  ending  rank  player  seconds  points   (7+ fields; one row of the list
//                                                      "difficulty|ending", in file order)
//   S     rank  player  points                        (4+ fields; one weekly points row)
// Other kinds and lines with fewer fields are ignored, and so are R rows of a list no tab shows.
// Rank, player and points are shown as given; the seconds are converted only for display.
// At most kMaxBoardBytes of the file are taken (up to the last whole line in them) and at most
// kMaxBoardRows rows per list; a list that may miss rows for either reason ends in a "…" row.
#pragma once
#include "common/particles.h"

#include <array>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct BoardRow {
    std::string rank, player, time, points; // time is empty on weekly points rows
};

// A week's board is a few kilobytes. The overlay runs beside the game, so a board file as big as
// a download may be (8 MiB) must not grow it by hundreds of megabytes: this much is read of it,
// and this many rows are kept per list.
inline constexpr size_t kMaxBoardBytes = 256u << 10;
inline constexpr size_t kMaxBoardRows = 200;

struct ParsedBoard {
    std::string week_label = "-";
    std::string week_window;
    std::map<std::string, std::vector<BoardRow>> lists; // "difficulty|ending" -> rows
    std::vector<BoardRow> weekly_points;
    std::set<std::string> cut_lists; // lists that reached kMaxBoardRows; "" for the weekly points
    bool file_cut = false;           // the file was longer than kMaxBoardBytes
};

ParsedBoard parse_board(std::string_view text);

// Shown when a board file that had content becomes empty or goes away; the lists stay.
void set_board_placeholders(ParsedBoard& board);

struct DifficultyTab {
    const char* key;
    const char* label;
};
inline constexpr std::array<DifficultyTab, 3> kDifficultyTabs{
    {{"easy", "简单"}, {"normal", "普通"}, {"nightmare", "噩梦"}}};
// The fourth ending tab has no key: it shows the weekly points standings.
inline constexpr std::array<DifficultyTab, 4> kEndingTabs{
    {{"arcade", "Arcade"}, {"main", "Main"}, {"true", "True"}, {nullptr, "周积分"}}};
inline constexpr int kPointsTab = 3;
inline constexpr int kNoTab = -1;
// Tab identifiers for clicks and the highlight ring: difficulty tabs 0..2, ending tabs 10..13.
inline constexpr int kEndingTabBase = 10;

struct BoardState {
    ParsedBoard board;
    std::string last_content;
    unsigned generation = 0; // counts the changes of `board`, so drawings of it can be reused
    int difficulty_tab = 0;
    int ending_tab = 0;
    int last_clicked_tab = kNoTab;
    int slide_direction = 1;
    int scroll = 0;     // pixels
    int wheel_rest = 0; // wheel turn not yet worth a notch (fine-grained wheels, touchpads)
    double clock = 0;
    float slide = 0;     // 1 right after a tab click, falling to 0
    float highlight = 0; // likewise, for the ring around the clicked tab
    double last_ambient = 0;
    std::vector<kvr::Particle> particles;
};

struct BoardRect {
    float x = 0, y = 0, w = 0, h = 0;
    bool contains_inclusive(float px, float py) const {
        return px >= x && px <= x + w && py >= y && py <= y + h;
    }
};

struct BoardLayout {
    BoardRect header;
    std::array<BoardRect, 3> difficulty_tabs;
    std::array<BoardRect, 4> ending_tabs;
    BoardRect list;
    BoardRect footer;
    float visible_rows_height = 0; // list height below the column header band
};

BoardLayout board_layout(float width, float height);

// One poll of the board file's content. Returns true when the board changed and must be
// repainted (with erase); the scroll then goes back to the top. A new content is parsed. A file
// that becomes empty (or goes away) after having had content brings the placeholders once and
// keeps the lists; when content comes back, even the same as before, it is parsed again. A file
// missing or empty from the start changes nothing.
bool board_poll(BoardState& s, std::string_view content);

// The rows of the selected tabs: the weekly points list on the fourth ending tab, else the
// list "difficulty|ending" (none when the file had no such rows).
const std::vector<BoardRow>& rows_to_show(const BoardState& s);
inline bool shows_weekly_points(const BoardState& s) {
    return s.ending_tab == kPointsTab;
}
// Whether the selected list may miss rows (see kMaxBoardBytes): it then ends in a "…" row.
bool shown_list_is_cut(const BoardState& s);

// Rows are 40 px apart; the list ends 10 px below the last one.
int max_scroll(size_t rows, float visible_height);
void clamp_scroll(BoardState& s, size_t rows, float visible_height);

enum class RowLook { Gold, Silver, Bronze, Band, Plain };
// The first three places are gold, silver and bronze; after them every other row, starting
// with the fifth, gets a faint band.
RowLook row_look(size_t index);

// The tab under a client point (edges count as inside): 0..2, 10..13, or kNoTab.
int tab_at(const BoardLayout& layout, float x, float y);

// A left click. Returns true when it switched a tab (repaint with erase); every click throws
// a burst of sparks.
bool board_click(BoardState& s, const BoardLayout& layout, float x, float y,
                 const kvr::RandomInt& rnd);

// A wheel turn: 40 pixels per notch of 120. Fine-grained wheels and touchpads send smaller
// steps; they add up until they make a notch.
void board_wheel(BoardState& s, int wheel_delta);

// The 16 ms animation tick, run whether or not the board is shown; ambient sparks rise from the
// first row only while it is shown.
void board_tick(BoardState& s, bool visible, const kvr::RandomInt& rnd);

// Hiding the board drops its sparks; the tick goes on, so a slide or ring under way runs out
// while hidden as it would have on screen.
void board_hidden(BoardState& s);

// Nothing moves: no slide, no ring, no spark. A hidden board at rest has nothing for the tick to
// do until it is shown again (clicks and the wheel reach only a shown board).
bool board_at_rest(const BoardState& s);

void spawn_burst(std::vector<kvr::Particle>& out, int count, float x, float y, int r, int g, int b,
                 const kvr::RandomInt& rnd);
void spawn_ambient(std::vector<kvr::Particle>& out, float x0, float y0, const kvr::RandomInt& rnd);

// Texts as drawn (UTF-8).
std::string row_time_text(const BoardRow& row);     // "01:15.50"
std::string row_points_text(const BoardRow& row);   // points followed by "分"
std::string week_window_text(const ParsedBoard& b); // "窗口 " followed by the window text
