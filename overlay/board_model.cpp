#include "overlay/board_model.h"

#include "common/text.h"
#include "overlay/field_numbers.h"
#include "ui_kit/race_time.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr float kTick = 0.016f;
constexpr float kGravity = 2.24f;
constexpr float kSlideFall = 0.0672f;
constexpr float kHighlightFall = 0.0288f;
constexpr double kAmbientEvery = 0.13;
constexpr float kPi = 3.14159f;

template <typename Tabs> bool has_key(const Tabs& tabs, std::string_view key) {
    return std::any_of(tabs.begin(), tabs.end(),
                       [&](const DifficultyTab& t) { return t.key && key == t.key; });
}

std::string list_key(std::string_view difficulty, std::string_view ending) {
    std::string key(difficulty);
    key += '|';
    key += ending;
    return key;
}

// One more row for a list, unless it is full; `key` names it in cut_lists.
void add_row(ParsedBoard& b, std::vector<BoardRow>& list, const std::string& key, BoardRow row) {
    if (list.size() < kMaxBoardRows)
        list.push_back(std::move(row));
    else
        b.cut_lists.insert(key);
}

void parse_line(std::string_view line, ParsedBoard& b) {
    const auto f = kvr::split(line, '\t');
    if (f[0] == "WEEK" && f.size() >= 3) {
        b.week_label.assign(f[1]);
        b.week_window.assign(f[2]);
    } else if (f[0] == "R" && f.size() >= 7) {
        if (!has_key(kDifficultyTabs, f[1]) || !has_key(kEndingTabs, f[2])) return;
        const std::string key = list_key(f[1], f[2]);
        add_row(b, b.lists[key], key,
                {std::string(f[3]), std::string(f[4]), std::string(f[5]), std::string(f[6])});
    } else if (f[0] == "S" && f.size() >= 4) {
        add_row(b, b.weekly_points, "",
                {std::string(f[1]), std::string(f[2]), {}, std::string(f[3])});
    }
}

int rand_mod(const kvr::RandomInt& rnd, int n) {
    return rnd() % n;
}

} // namespace

ParsedBoard parse_board(std::string_view text) {
    ParsedBoard b;
    if (text.size() > kMaxBoardBytes) {
        text = text.substr(0, kMaxBoardBytes);
        text = text.substr(0, text.rfind('\n') + 1); // a line cut in two is no line
        b.file_cut = true;
    }
    // Line by line, without a list of every line first: the file may hold hundreds of thousands.
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) parse_line(line, b);
    }
    return b;
}

void set_board_placeholders(ParsedBoard& board) {
    board.week_label = "无数据";
    board.week_window = "请先运行启动器同步";
}

BoardLayout board_layout(float width, float height) {
    BoardLayout l;
    l.header = {18, 18, width - 36, 56};
    const float d = (width - 36 - 20) / 3;
    for (int k = 0; k < 3; ++k)
        l.difficulty_tabs[k] = {18 + k * (d + 10), 92, d, 42};
    const float e = (width - 36 - 30) / 4;
    for (int k = 0; k < 4; ++k)
        l.ending_tabs[k] = {18 + k * (e + 10), 146, e, 40};
    l.list = {18, 202, width - 36, height - 250};
    l.footer = {18, height - 38, width - 36, 24};
    l.visible_rows_height = l.list.h - 34;
    return l;
}

bool board_poll(BoardState& s, std::string_view content) {
    if (content == s.last_content) return false;
    if (content.empty()) {
        set_board_placeholders(s.board); // the lists of the last content stay
    } else {
        s.board = parse_board(content);
    }
    s.last_content.assign(content);
    s.scroll = 0;
    ++s.generation;
    return true;
}

namespace {

// The key of the selected list: "difficulty|ending", or "" for the weekly points.
std::string shown_key(const BoardState& s) {
    if (shows_weekly_points(s)) return {};
    return list_key(kDifficultyTabs[std::clamp(s.difficulty_tab, 0, 2)].key,
                    kEndingTabs[std::clamp(s.ending_tab, 0, 2)].key);
}

} // namespace

const std::vector<BoardRow>& rows_to_show(const BoardState& s) {
    static const std::vector<BoardRow> none;
    if (shows_weekly_points(s)) return s.board.weekly_points;
    const auto it = s.board.lists.find(shown_key(s));
    return it == s.board.lists.end() ? none : it->second;
}

bool shown_list_is_cut(const BoardState& s) {
    return s.board.file_cut || s.board.cut_lists.count(shown_key(s)) > 0;
}

int max_scroll(size_t rows, float visible_height) {
    const double m = static_cast<double>(rows) * 40 + 10 - visible_height;
    return m > 0 ? static_cast<int>(m) : 0;
}

void clamp_scroll(BoardState& s, size_t rows, float visible_height) {
    s.scroll = std::clamp(s.scroll, 0, max_scroll(rows, visible_height));
}

RowLook row_look(size_t index) {
    switch (index) {
    case 0:
        return RowLook::Gold;
    case 1:
        return RowLook::Silver;
    case 2:
        return RowLook::Bronze;
    default:
        return index % 2 == 0 ? RowLook::Band : RowLook::Plain;
    }
}

int tab_at(const BoardLayout& layout, float x, float y) {
    for (int k = 0; k < 3; ++k)
        if (layout.difficulty_tabs[k].contains_inclusive(x, y)) return k;
    for (int k = 0; k < 4; ++k)
        if (layout.ending_tabs[k].contains_inclusive(x, y)) return kEndingTabBase + k;
    return kNoTab;
}

bool board_click(BoardState& s, const BoardLayout& layout, float x, float y,
                 const kvr::RandomInt& rnd) {
    const int tab = tab_at(layout, x, y);
    if (tab == kNoTab) {
        spawn_burst(s.particles, 10, x, y, 240, 210, 160, rnd);
        return false;
    }
    if (tab < kEndingTabBase) {
        s.slide_direction = tab < s.difficulty_tab ? -1 : 1;
        s.difficulty_tab = tab;
        spawn_burst(s.particles, 70, x, y, 255, 196, 80, rnd);
    } else {
        const int k = tab - kEndingTabBase;
        s.slide_direction = k < s.ending_tab ? -1 : 1;
        s.ending_tab = k;
        spawn_burst(s.particles, 60, x, y, 255, 186, 110, rnd);
    }
    s.last_clicked_tab = tab;
    s.slide = 1;
    s.highlight = 1;
    s.scroll = 0;
    return true;
}

void board_wheel(BoardState& s, int wheel_delta) {
    const long long turn = static_cast<long long>(s.wheel_rest) + wheel_delta;
    s.wheel_rest = static_cast<int>(turn % 120);
    const long long scroll = s.scroll - turn / 120 * 40;
    s.scroll = static_cast<int>(std::clamp<long long>(scroll, 0, INT_MAX));
}

void board_tick(BoardState& s, bool visible, const kvr::RandomInt& rnd) {
    s.clock += kTick;
    s.slide = std::max(0.0f, s.slide - kSlideFall);
    s.highlight = std::max(0.0f, s.highlight - kHighlightFall);
    kvr::step_particles(s.particles, kTick, kGravity);
    if (visible && s.clock - s.last_ambient > kAmbientEvery) {
        spawn_ambient(s.particles, 98, 260.0f - static_cast<float>(s.scroll), rnd);
        s.last_ambient = s.clock;
    }
}

void board_hidden(BoardState& s) {
    s.particles.clear();
}

bool board_at_rest(const BoardState& s) {
    return s.slide <= 0 && s.highlight <= 0 && s.particles.empty();
}

void spawn_burst(std::vector<kvr::Particle>& out, int count, float x, float y, int r, int g, int b,
                 const kvr::RandomInt& rnd) {
    for (int i = 0; i < count; ++i) {
        kvr::Particle p;
        p.x = x;
        p.y = y;
        const float angle = static_cast<float>(rand_mod(rnd, 360)) * kPi / 180;
        const float speed = static_cast<float>(rand_mod(rnd, 160) + 60);
        p.vx = std::cos(angle) * speed;
        p.vy = std::sin(angle) * speed - 40;
        p.life = p.full_life = static_cast<float>(rand_mod(rnd, 60)) / 100 + 0.5f;
        p.size = static_cast<float>(rand_mod(rnd, 40)) / 10 + 3;
        p.r = kvr::clamp_channel(r + rand_mod(rnd, 40) - 20);
        p.g = kvr::clamp_channel(g + rand_mod(rnd, 40) - 20);
        p.b = kvr::clamp_channel(b + rand_mod(rnd, 40) - 20);
        out.push_back(p);
    }
}

void spawn_ambient(std::vector<kvr::Particle>& out, float x0, float y0, const kvr::RandomInt& rnd) {
    kvr::Particle p;
    p.x = x0 - 110 + static_cast<float>(rand_mod(rnd, 220));
    p.y = y0;
    p.vx = static_cast<float>(rand_mod(rnd, 40) - 20);
    p.vy = -30 - static_cast<float>(rand_mod(rnd, 40));
    p.life = p.full_life = static_cast<float>(rand_mod(rnd, 50)) / 100 + 0.9f;
    p.size = static_cast<float>(rand_mod(rnd, 35)) / 10 + 2.5f;
    p.r = 255;
    p.g = static_cast<uint8_t>(190 + rand_mod(rnd, 60));
    p.b = static_cast<uint8_t>(60 + rand_mod(rnd, 80));
    out.push_back(p);
}

std::string row_time_text(const BoardRow& row) {
    return kvr::ui::race_time_text_padded(parse_seconds(row.time));
}

std::string row_points_text(const BoardRow& row) {
    return row.points + "分";
}

std::string week_window_text(const ParsedBoard& b) {
    return "窗口 " + b.week_window;
}
