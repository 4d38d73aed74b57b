// What the result cards say, and when they close, from the command line and upload.state.
#pragma once
#include "result_card/result_options.h"

#include <cstdint>
#include <string>
#include <string_view>

enum class Outcome { uploaded, failed, no_result };

// UPLOADED only when the server accepted the run (--ok 1) and the kind does not say otherwise;
// NO RESULT for a run without a finish, or when the card was given nothing to report.
Outcome outcome_of(const ResultOptions& o);

struct FinalCardText {
    Outcome outcome = Outcome::no_result;
    std::string title; // "UPLOADED", "UPLOAD FAILED", "NO RESULT"
    std::string time;  // "12:34.56", or the placeholder "--:--.--" when no time was given
    bool time_known = false;
    std::string labels;    // "NIGHTMARE  ·  TRUE ENDING"; either part may be missing
    std::string rank_line; // "Rank #3    +120 pts", only for an accepted run with a rank
    std::string message;   // --msg, or the standard text for the kind when none was given
};

FinalCardText final_card_text(const ResultOptions& o);

inline constexpr std::string_view kLauncherHint = "you can close the launcher now";
inline constexpr std::string_view kCloseHint = "click anywhere to close";

// The progress card polls upload.state this often and gives up after the limit, so a launcher
// core that died mid-upload never leaves it on screen for good.
inline constexpr unsigned kProgressPollMs = 150;
inline constexpr std::uint64_t kProgressLimitMs = 5 * 60 * 1000;
// The final card closes by itself after this long.
inline constexpr int kFinalCardSeconds = 45;

// True when upload.state says the upload is over ("done" or "fail"; blanks and line ends
// around the word are forgiven).
bool upload_finished(std::string_view state_content);

// Whole seconds left on the final card's countdown, rounded up, never below 0.
int seconds_left(std::uint64_t elapsed_ms, int total_seconds = kFinalCardSeconds);
