// Names that cross process boundaries: the data directory's files the programs talk through,
// the stage words of the state files, and the game's executable. Every program takes them from
// here, so a name written by one program is the name another reads.
#pragma once
#include <string_view>

namespace kvr::race {

// Files in the data directory.
inline constexpr char kLaunchState[] = "launch.state";   // launcher core, start window
inline constexpr char kUploadState[] = "upload.state";   // launcher core, result card
inline constexpr char kTimerEnabled[] = "timer.enabled"; // launcher core ("0"), overlay
inline constexpr char kBoardToggle[] = "board.toggle";   // launcher core ("0"), overlay
inline constexpr char kTimerText[] = "timer.txt";        // in-game script, overlay
inline constexpr char kBoardTable[] = "board.tsv";       // launcher core, overlay
inline constexpr char kBoardDemoTable[] = "board.demo.tsv";
inline constexpr char kChoice[] = "choice.txt";           // chooser, launcher core
inline constexpr char kResultFile[] = "kvrw_result.json"; // in-game script, launcher core

// Stage words of launch.state, in the order a race run writes them ("checking" is the start
// window's own, written before it starts the core).
inline constexpr char kChecking[] = "checking";
inline constexpr char kLaunching[] = "launching";
inline constexpr char kPlaying[] = "playing";
inline constexpr char kUploading[] = "uploading";
inline constexpr char kDone[] = "done";
// The last word of upload.state when the upload failed ("done" when it succeeded).
inline constexpr char kFail[] = "fail";

// The difficulties, as choice.txt, the receipt, the submit body and the cards name them.
inline constexpr char kEasy[] = "easy";
inline constexpr char kNormal[] = "normal";
inline constexpr char kNightmare[] = "nightmare";
inline bool is_difficulty(std::string_view word) {
    return word == kEasy || word == kNormal || word == kNightmare;
}

// The programs that start one another from the package folder.
inline constexpr wchar_t kLauncherCoreExe[] = L"kvr_launcher_core.exe"; // by the start window
inline constexpr char kResultCardExe[] = "kvr_result.exe";              // by the launcher core

// The game's executable, as a file name and as the process name Windows lists. The macro lets a
// path below the game's library spell it within one literal.
#define KVR_GAME_EXE "Hollowmaze-Win64-Shipping.exe"
inline constexpr char kGameExe[] = KVR_GAME_EXE;
inline constexpr wchar_t kGameExeWide[] = L"" KVR_GAME_EXE;

} // namespace kvr::race
