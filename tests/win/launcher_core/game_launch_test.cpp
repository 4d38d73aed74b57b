// The game launch, the Steam registry read and the file writes of the race run against Wine's
// real processes, registry and files. The waits are passed in short, so the paths that give up
// after 150 s run in well under a second.
#include "launcher_core/base/config.h"
#include "launcher_core/base/log.h"
#include "launcher_core/game/game_launch.h"
#include "launcher_core/game/mod_install.h"
#include "launcher_core/steam/steam_detection.h"
#include "launcher_core/steam/steam_registry.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

namespace {

const LaunchWaits kQuick{60, 240, 2};

// A fresh folder under the prefix's temp directory, with the launcher log opened inside it.
class LaunchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        wchar_t tmp[MAX_PATH];
        GetTempPathW(MAX_PATH, tmp);
        dir_ = kvr::wide_to_utf8(tmp) + "kvr_launch_" + std::to_string(GetCurrentProcessId()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        // Wine hands out the same process ids again in a later session: what an earlier run
        // left here (a log, Steam's record of calls) must not count for this one.
        for (const std::string& name : kvr::list_files(dir_ + "\\*"))
            ASSERT_TRUE(kvr::delete_file(dir_ + "\\" + name)) << name;
        ASSERT_TRUE(kvr::create_directories(dir_));
        cfg_.data = dir_;
        log_open(dir_ + "\\launcher.log");
    }
    void TearDown() override { log_close(); }

    std::vector<std::string> log_lines() {
        log_close();
        std::string text;
        kvr::read_file(dir_ + "\\launcher.log", text);
        std::vector<std::string> lines;
        size_t pos = 0, end;
        while ((end = text.find('\n', pos)) != std::string::npos) {
            std::string line = text.substr(pos, end - pos);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            pos = end + 1;
        }
        return lines;
    }

    // The fake Steam of this build, copied here so its record of calls lands in this folder.
    std::string fake_steam() {
        const std::string built =
            kvr::env_utf8(L"KVR_WIN_BUILD") + "\\tests\\helpers\\fake_steam\\steam.exe";
        const std::string copy = dir_ + "\\steam.exe";
        CopyFileW(kvr::utf8_to_wide(built).c_str(), kvr::utf8_to_wide(copy).c_str(), FALSE);
        return copy;
    }

    std::string dir_;
    LauncherConfig cfg_;
};

} // namespace

TEST_F(LaunchTest, SteamThatNeverStartsTheGameGivesUpWithResultZero) {
    cfg_.steam = fake_steam(); // with no steam_launch.txt it starts nothing
    ASSERT_TRUE(kvr::path_exists(cfg_.steam)) << "KVR_WIN_BUILD must name the win64 build";
    EXPECT_EQ(launch_game_and_wait(cfg_, kQuick), 0);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"steam started with -applaunch 4127730",
                                                     "game process did not appear within 120s"}));
    std::string calls;
    kvr::read_file(dir_ + "\\steam_calls.txt", calls);
    EXPECT_EQ(calls, "\"" + cfg_.steam + "\" -applaunch 4127730\n");
    EXPECT_FALSE(kvr::path_exists(dir_ + "\\launch.state")); // never "playing"
}

TEST_F(LaunchTest, FailedStartsAreLoggedWithTheirErrorAndTheWaitStillRuns) {
    // Both paths exist but are not programs.
    cfg_.steam = dir_ + "\\steam.exe";
    cfg_.game = dir_ + "\\game.exe";
    kvr::write_file(cfg_.steam, "not a program");
    kvr::write_file(cfg_.game, "not a program");
    cfg_.appid = "480";
    EXPECT_EQ(launch_game_and_wait(cfg_, kQuick), 0);
    const std::vector<std::string> lines = log_lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].rfind("failed to start steam (err ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "steam launch did not start the game, trying direct exe");
    EXPECT_EQ(lines[2].rfind("direct launch failed (err ", 0), 0u) << lines[2];
    EXPECT_EQ(lines[3], "game process did not appear within 120s");
}

TEST_F(LaunchTest, NoSteamAndNoGameOnlyWaits) {
    cfg_.steam = dir_ + "\\missing\\steam.exe";
    EXPECT_EQ(launch_game_and_wait(cfg_, kQuick), 0);
    EXPECT_EQ(log_lines(), std::vector<std::string>{"game process did not appear within 120s"});
}

TEST_F(LaunchTest, SteamRootFromRegistryUnifiesSlashesExpandsAndKeepsLongPaths) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto set = [&](const std::wstring& value, DWORD type) {
        RegSetValueExW(key, L"SteamPath", 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    };
    set(L"c:/program files (x86)/steam/", REG_SZ);
    EXPECT_EQ(steam_root_from_registry(), "c:\\program files (x86)\\steam");
    SetEnvironmentVariableW(L"KVR_STEAM_DRIVE", L"D:");
    const std::wstring deep = L"%KVR_STEAM_DRIVE%/" + std::wstring(300, L'x') + L"/游戏/Steam";
    set(deep, REG_EXPAND_SZ);
    EXPECT_EQ(steam_root_from_registry(), "D:\\" + std::string(300, 'x') + "\\游戏\\Steam");
    const DWORD number = 7; // not a path at all
    RegSetValueExW(key, L"SteamPath", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    EXPECT_EQ(steam_root_from_registry(), "");
    RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam");
    EXPECT_EQ(steam_root_from_registry(), "");
    EXPECT_EQ(list_steam_libraries(""), std::vector<std::string>{});
}

TEST_F(LaunchTest, CopyTreeFromAnUnlistableSourceCreatesNothing) {
    copy_tree(dir_ + "\\no-such-package", dir_ + "\\game");
    EXPECT_FALSE(kvr::path_exists(dir_ + "\\game"));
    EXPECT_EQ(log_lines(), std::vector<std::string>{});
}

// Renaming over a file fails while another program has it open, as the overlay has the board
// files every 120 ms: the fresh copy still replaces the cached one once the reader lets go.
TEST_F(LaunchTest, AtomicWriteOutlastsAReaderOfTheTarget) {
    const std::string board = dir_ + "\\board.tsv";
    ASSERT_TRUE(kvr::write_file(board, "cached"));
    FILE* reader = kvr::open_file(board, "rb");
    ASSERT_NE(reader, nullptr);
    std::thread overlay([reader] {
        Sleep(300);
        fclose(reader);
    });
    EXPECT_TRUE(kvr::write_file_atomic(board, "fresh"));
    overlay.join();
    std::string text;
    EXPECT_TRUE(kvr::read_file(board, text));
    EXPECT_EQ(text, "fresh");
}
