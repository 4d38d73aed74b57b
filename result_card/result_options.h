// Command line of kvr_result, the progress card and the final result card.
//
// The launcher core starts it in one of two forms. Arguments are split by the Windows rules
// (CommandLineToArgvW): a value holding blanks is wrapped in double quotes, a double quote inside
// a value is written \" and backslashes directly before a double quote are doubled; a path
// ending in a backslash therefore ends in \\ before its closing quote.
//
//   Progress card:  --mode progress --state "<full path of upload.state>"
//   Final card:     --ok 1 --kind uploaded --total 754.32 --difficulty nightmare
//                   --ending true --rank 3 --points 120 --msg "<text>"
//
// Each option is one argument and takes the next argument as its value, whatever that looks
// like (a message may begin with "--"). Options come in any order; a repeated option keeps its
// last value; an unknown argument is skipped on its own; an option in last place without a
// value is ignored. Names and words are lower case and matched exactly.
//
//   --mode        "progress" selects the progress card; any other value, or none, the final card.
//   --state       path of the state file the progress card watches (UTF-8 here).
//   --ok          "1": the server accepted the run. Anything else: it did not.
//   --kind        "uploaded" (accepted), "network" (server unreachable, kept for the next
//                 start), "rejected" (the server refused it), "unfinished" (no finish in the
//                 run). Other words are kept for display logic as unknown.
//   --total       run time in seconds, a decimal number with a dot ("754.32"); finite, >= 0.
//   --difficulty  "easy", "normal" or "nightmare".
//   --ending      "main", "true" or "arcade".
//   --rank        place on the board, a whole number >= 1.
//   --points      points earned, a whole number (may be 0).
//   --msg         the player message, UTF-8 text.
//
// Malformed values are dropped (the field reads as absent); nothing here can fail.
#pragma once
#include <optional>
#include <string>
#include <vector>

enum class RunKind { unknown, uploaded, network, rejected, unfinished };

struct ResultOptions {
    bool progress = false; // --mode progress
    std::string state_path;
    std::optional<bool> ok;
    RunKind kind = RunKind::unknown;
    bool kind_given = false;
    std::optional<double> total_seconds;
    std::string difficulty; // one of the three words, or empty
    std::string ending;     // one of the three words, or empty
    std::optional<int> rank;
    std::optional<int> points;
    std::string message;
};

// The arguments after the program name, each UTF-8.
ResultOptions parse_result_options(const std::vector<std::string>& args);
