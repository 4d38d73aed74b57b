// What the start window makes of launch.state: the stage text on the card, when the card
// closes, and the moving parts of its footer.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The launcher core writes one word with no line end. The comparison is exact: a word with
// extra bytes (a line end, other case) is not a stage and shows "Preparing...".
std::string_view stage_text(std::string_view stage_word);

// The card follows launch.state from the moment its poll timer starts.
struct LaunchWatch {
    std::string last_word;          // the last non-empty read
    std::uint64_t start_ms = 0;     // tick when polling began
    std::uint64_t limit_ms = 90000; // the card gives up after this long
};

// How many bytes of launch.state one poll reads; a stage word is far shorter.
inline constexpr std::size_t kStateReadLimit = 63;
// How often the card polls launch.state and repaints.
inline constexpr unsigned kPollMs = 150;

// One poll with the bytes just read (empty: the file was missing or being rewritten, which is no
// news). True when the card should close: the game is running ("playing"), the run is over
// ("done"), or the watch has run out of time.
bool poll_launch_state(LaunchWatch& watch, std::string_view read, std::uint64_t now_ms);

// "launcher v1  ·  12s", whole seconds since polling began.
std::string footer_text(std::uint64_t elapsed_ms);
// Which of the four activity dots is lit: one place further every 260 ms.
int dot_phase(std::uint64_t elapsed_ms);

// The stage line of the card. When the launcher core could not be started and no stage word has
// come from elsewhere, the card says so instead of claiming to check game files.
std::string_view card_stage_text(const LaunchWatch& watch, bool core_started);
