// Judging the finished run and submitting it to the race server.
#pragma once
#include "launcher_core/config.h"

#include <string>

// The server's answer, kept for the result card.
struct UploadOutcome {
    std::string response;
    std::string profile_token;
    std::string difficulty;
    std::string ending;
    std::string total;
    int rank = 0;
    int points = 0;
};

// True only when the server accepted the run.
bool evaluate_and_upload(const LauncherConfig& cfg);
const UploadOutcome& upload_outcome();
