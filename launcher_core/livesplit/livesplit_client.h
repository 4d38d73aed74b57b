// LiveSplit's TCP server on 127.0.0.1:16834. Every exchange waits at most a few seconds for the
// connection and for each reply, so a LiveSplit that accepts connections but never answers costs
// seconds, never the run.
#pragma once
#include "launcher_core/livesplit/livesplit_text.h"

#include <string>

// How a query went, for the advice the player gets.
enum class LiveSplitReply {
    answered,     // a non-empty line came back
    silent,       // connected, but no whole line came within the time-out
    not_accepted, // the port did not complete the connection within the time-out
    none,         // refused, closed or blank
};

// LiveSplit's reply to one command, trimmed; empty when unreachable or silent (`how` tells which).
std::string livesplit_query(const std::string& command, LiveSplitReply* how = nullptr);

// The timer phase and the run time, read on one connection. This stands in for a time read on
// its own: the phase decides which time may be asked for (before "Ended" LiveSplit answers
// "getfinaltime" with the personal best), and whether a time is the run's at all. After the game
// an ended run's segments are read too, to tell the race splits from others.
enum class ReadingMoment { before_the_game, after_the_game };
LiveSplitReading read_livesplit(ReadingMoment moment = ReadingMoment::after_the_game);
