// What the player is told once the upload is over: the stage line, where a run that waits is
// queued, and the final result card's options.
//
// The card is started as: "<dir>kvr_result.exe" --ok "1" --kind "uploaded" --total "754.56"
// --difficulty "normal" --ending "main" --rank "3" --points "120" --msg "..."
// Each value is quoted and its trailing backslashes doubled, so every value arrives as one
// argument whatever it holds. The plan's values hold nothing an argument cannot carry (control
// characters, double quotes, bytes that are not UTF-8) and are cut to a length the card can show,
// so the command line carries exactly the plan's values and stays far below the 32,767
// characters a process start takes, whatever the server or the receipt held.
#pragma once
#include "launcher_core/result/upload_outcome.h"

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

// The longest server error the card shows, in characters: its message box holds three lines of
// about 26 Chinese characters.
inline constexpr size_t kMaxCardMessageChars = 72;

struct FinalReportPlan {
    std::string stage_line;
    std::string pending_line; // "pending saved: <entry>" when the run waits in the queue
    FinalCard card;
};

FinalReportPlan plan_final_report(const UploadOutcome& outcome);

std::string final_card_command_line(std::string_view card_exe, const FinalCard& card);

// A run time text such as "754.56" (quotes allowed) as the console shows it, "12:34.56", by the
// cards' rule; nothing when it holds no positive number.
std::optional<std::string> run_time_text(std::string_view total);
