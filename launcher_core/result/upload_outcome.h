// How the evaluation and upload of a run ended: handed back to the caller, for the final report
// and the result card.
#pragma once
#include <string>

enum class UploadResult {
    not_run,         // nothing was judged (the run files held only runs queued before)
    no_server,       // no race server configured
    no_receipt,      // neither the receipt nor kvrw_result.json holds a run to judge
    invalid_receipt, // empty, or not a JSON object
    not_finished,    // no ending screen or ending map
    not_queued,      // judged, but the queue could not take it: it stays in its files, unsent
    unreachable,     // the request got no answer; the run waits in the queue
    server_trouble,  // an answer without a verdict; the run waits in the queue
    refused,         // the server's verdict: not accepted
    accepted,
};

struct UploadOutcome {
    UploadResult result = UploadResult::not_run;
    std::string response; // the server's answer body
    std::string error;    // the server's "error" text, when it gave one
    int rank = 0;
    int points = 0;
    std::string difficulty; // as sent
    std::string ending;
    std::string total;    // the run time text as sent
    std::string entry;    // the pending entry that holds the run while it waits
    std::string stays_in; // where the run stays when it could not be queued
};
