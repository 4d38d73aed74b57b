#include "start_window/launch_progress.h"

#include "common/race_names.h"

std::string_view stage_text(std::string_view word) {
    if (word == kvr::race::kChecking) return "Checking game files...";
    if (word == kvr::race::kLaunching) return "Launching game...";
    if (word == kvr::race::kPlaying) return "Game running";
    if (word == kvr::race::kUploading) return "Uploading result...";
    if (word == kvr::race::kDone) return "Done";
    return "Preparing...";
}

bool poll_launch_state(LaunchWatch& watch, std::string_view read, std::uint64_t now_ms) {
    if (!read.empty() && read != watch.last_word) watch.last_word = std::string(read);
    if (watch.last_word == kvr::race::kPlaying || watch.last_word == kvr::race::kDone) return true;
    // A clock that went backwards (it never should) counts as no time passed.
    return now_ms > watch.start_ms && now_ms - watch.start_ms > watch.limit_ms;
}

std::string footer_text(std::uint64_t elapsed_ms) {
    return "launcher v1  \xC2\xB7  " + std::to_string(elapsed_ms / 1000) + "s";
}

int dot_phase(std::uint64_t elapsed_ms) {
    return static_cast<int>((elapsed_ms / 260) % 4);
}

std::string_view card_stage_text(const LaunchWatch& watch, bool core_started) {
    if (!core_started && (watch.last_word.empty() || watch.last_word == kvr::race::kChecking))
        return "Could not start kvr_launcher_core.exe";
    return stage_text(watch.last_word);
}
