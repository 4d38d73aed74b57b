// How the evaluation and upload of a run ended, kept for the final report and the result card.
#pragma once
#include <string>

enum class UploadResult {
    not_run,         // evaluation has not run in this process
    no_server,       // no race server configured
    no_receipt,      // neither the receipt nor kvrw_result.json could be read
    invalid_receipt, // empty, or not a JSON object
    not_finished,    // no ending screen or ending map
    unreachable,     // the request got no answer
    server_trouble,  // an answer without a verdict (server error, overload): worth sending again
    refused,         // the server's verdict: not accepted
    accepted,
};

struct UploadOutcome {
    std::string response;      // the server's answer body
    std::string profile_token; // from the answer, when it held one
    std::string difficulty;
    std::string ending;
    std::string total; // the run time text as sent
    int rank = 0;      // kept from an earlier answer when the latest lacks it
    int points = 0;
    UploadResult result = UploadResult::not_run;
    std::string error;   // the server's "error" text, when it gave one
    std::string payload; // the submit body, built once the run was judged finished
    bool from_kvrw_result = false;
    std::string queued_path; // the pending entry that holds the payload, while it does
};
