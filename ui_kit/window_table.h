// The system's borderless card windows: class, title, size, place on screen, extended styles
// and constant alpha. Each window program takes its row from here and adds its own window
// procedure and state.
#pragma once
#include <cstdint>

namespace kvr::ui {

// Extended styles, mapped to the WS_EX_ flags by the window code.
enum WindowTrait : unsigned {
    kLayered = 1u << 0,
    kToolWindow = 1u << 1, // no taskbar button
    kTopmost = 1u << 2,
    kClickThrough = 1u << 3, // mouse input passes to the window below
    kNoActivate = 1u << 4,   // never takes the focus
};

enum class Anchor {
    centred,     // centred in the work area
    top_centred, // centred horizontally, `top_offset` below the top of the work area
};

struct WindowSpec {
    const wchar_t* class_name;
    const wchar_t* title;
    int width;
    int height;
    Anchor anchor;
    int top_offset;
    unsigned traits;
    std::uint8_t alpha;
    bool arrow_cursor;
};

inline constexpr unsigned kCardTraits = kLayered | kToolWindow | kTopmost;

// The board takes clicks and the wheel but never the focus: the game keeps the keyboard, and
// with it the F9 that closes the board again.
inline constexpr WindowSpec kBoardWindow{L"KVRBoardWindow2",
                                         L"KVR Leaderboard",
                                         780,
                                         1000,
                                         Anchor::centred,
                                         0,
                                         kCardTraits | kNoActivate,
                                         250,
                                         true};
inline constexpr WindowSpec kTimerWindow{
    L"KVRTimerWindow2",          L"KVR Timer", 420,  96, Anchor::top_centred, 16,
    kCardTraits | kClickThrough, 245,          false};
inline constexpr WindowSpec kNoticeWindow{
    L"KVRNoticeWindow",        L"KVR Notice", 680,  146, Anchor::top_centred, 120,
    kCardTraits | kNoActivate, 248,           false};
inline constexpr WindowSpec kStartWindow{L"KVRStartWindow", L"KVR", 460, 300, Anchor::centred, 0,
                                         kCardTraits,       252,    true};
inline constexpr WindowSpec kChooserWindow{
    L"KVRChooseWindow", L"KVR Weekly Race", 560, 500, Anchor::centred, 0, kCardTraits, 250, true};
// The result card program shows the progress card at the start window's size and the final
// card a little taller; both use this class and title.
inline constexpr WindowSpec kProgressCardWindow{
    L"KVRResultWindow", L"KVR Result", 460, 300, Anchor::centred, 0, kCardTraits, 252, true};
inline constexpr WindowSpec kFinalCardWindow{
    L"KVRResultWindow", L"KVR Result", 480, 380, Anchor::centred, 0, kCardTraits, 252, true};

struct ScreenRect {
    int left, top, right, bottom;
};

struct WindowPlace {
    int x, y, width, height;
};

// Where a window of the given size goes in the desktop's work area.
WindowPlace place_window(const ScreenRect& work_area, int width, int height, Anchor anchor,
                         int top_offset);

// Cards are laid out in pixels of a 96 DPI display. On a display with more dots per inch
// (144 on a 150 % display) a card is drawn dpi / 96 times larger, so it is as large and as
// sharp as the player's other windows; but never larger than its work area allows, so a card
// that would not fit (the board on a small screen) is drawn smaller instead of being cut off.
float card_scale(int dpi, const ScreenRect& work_area, const WindowSpec& row);

// A card's size in pixels at `scale` (rounded to the nearest pixel).
int scaled_px(int layout_px, float scale);

// The row's window drawn at `scale`: its size and its offset from the top both scale.
WindowPlace place_card(const ScreenRect& work_area, const WindowSpec& row, float scale);

} // namespace kvr::ui
