// What the player is told once the upload is over: the stage line, whether the run is queued,
// and the final result card's options.
//
// The card is started as: "<dir>kvr_result.exe" --ok "1" --kind "uploaded" --total "754.56"
// --difficulty "normal" --ending "main" --rank "3" --points "120" --msg "..."
// Each value is quoted; double quotes inside a value are dropped and trailing backslashes are
// doubled, so every value arrives as one argument whatever it holds.
#pragma once
#include "launcher_core/upload_outcome.h"

#include <optional>
#include <string>
#include <string_view>

struct FinalCard {
    bool ok = false;
    std::string kind; // "uploaded", "network", "rejected" or "unfinished" (kvr_result's words)
    std::string total;
    std::string difficulty;
    std::string ending;
    int rank = 0;
    int points = 0;
    std::string message;
};

// The card message when a run the server did not get could not be queued either.
inline constexpr char kNotQueuedMessage[] =
    "Network error. The result could not be saved - see launcher.log.";

struct FinalReportPlan {
    std::string stage_line;
    bool queue = false; // the payload goes to the pending queue
    FinalCard card;
};

FinalReportPlan plan_final_report(const UploadOutcome& outcome);

// The card message for the server's "error" text: one of the known refusals, else empty.
std::string refusal_message(std::string_view error);

std::string final_card_command_line(std::string_view card_exe, const FinalCard& card);

// Minutes and seconds of a run time text such as "754.56" (quotes allowed); nothing when it
// holds no positive number.
struct RunTime {
    int minutes = 0;
    double seconds = 0.0;
};
std::optional<RunTime> split_run_time(std::string_view total);
