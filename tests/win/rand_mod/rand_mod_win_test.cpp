// The real mod DLL hooked into this test program, which imports rand() from msvcrt.dll and,
// as ucrt_rand, from ucrtbase.dll.
#include "mod_host.h"
#include "rand_mod/rand_streams.h"

#include "common/win32/files.h"
#include "common/win32/wide.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

extern "C" int ucrt_rand(void);
// The import address table slots the linker made for the two imports.
extern "C" uintptr_t __imp_rand;
extern "C" uintptr_t __imp_ucrt_rand;

using kvr::ModHost;

namespace {

uintptr_t slot_value(uintptr_t& slot) {
    return std::atomic_ref<uintptr_t>(slot).load();
}

uintptr_t exe_base() {
    return reinterpret_cast<uintptr_t>(GetModuleHandleW(nullptr));
}

uint64_t offset_of(const uintptr_t& slot) {
    return reinterpret_cast<uintptr_t>(&slot) - exe_base();
}

// One call site each, so the mod sees exactly one site per helper.
__attribute__((noinline)) std::vector<int> draw5() {
    std::vector<int> values;
#pragma GCC unroll 1
    for (int i = 0; i < 5; ++i)
        values.push_back(rand());
    return values;
}

__attribute__((noinline)) int draw_ucrt() {
    return ucrt_rand();
}

int someone_elses_rand() {
    return 4;
}

std::wstring hooked_line(uint64_t offset) {
    wchar_t text[96];
    swprintf(text, 96, L"[ReruRavuze] hooked rand import at exe+0x%llX\n",
             static_cast<unsigned long long>(offset));
    return text;
}

// Runs kvr_rand_host.exe (beside this program) with its output in a file; returns the output.
std::string run_host(const std::wstring& arguments) {
    // A file per run: the console service Wine starts for the child may still hold the last one.
    static int run = 0;
    const std::wstring out_path =
        kvr::beside_this_exe(L"rand_host_run" + std::to_wstring(++run) + L".txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = CreateFileW(out_path.c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = out;
    si.hStdError = out;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + kvr::beside_this_exe(L"kvr_rand_host.exe") + L"\" " + arguments;
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    EXPECT_TRUE(started);
    if (!started) return "";
    WaitForSingleObject(pi.hProcess, 60000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    std::string text;
    kvr::read_file(kvr::wide_to_utf8(out_path), text);
    return text;
}

std::string line_starting(const std::string& output, const std::string& prefix) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back(); // text-mode stdout
        if (line.rfind(prefix, 0) == 0) return line;
    }
    return "";
}

class RandModInProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        msvcrt_original_ = slot_value(__imp_rand);
        ucrt_original_ = slot_value(__imp_ucrt_rand);
    }

    void TearDown() override {
        host_.reset();
        // Every slot has its own function back and the mod is gone from the process.
        EXPECT_EQ(slot_value(__imp_rand), msvcrt_original_);
        EXPECT_EQ(slot_value(__imp_ucrt_rand), ucrt_original_);
        EXPECT_EQ(GetModuleHandleW(L"main.dll"), nullptr);
    }

    void load() { ASSERT_TRUE(host_->load(kvr::beside_this_exe(L"main.dll"))) << host_->error; }

    std::vector<int64_t> call(const std::string& name, std::vector<HostLuaValue> args = {}) {
        return host_->call(0, name, std::move(args));
    }

    std::unique_ptr<ModHost> host_ = std::make_unique<ModHost>();
    uintptr_t msvcrt_original_ = 0;
    uintptr_t ucrt_original_ = 0;
};

} // namespace

TEST_F(RandModInProcess, StartHooksBothRuntimeImportsLogsThemAndUninstallRestoresEach) {
    load();
    RC::CppUserModBase* mod = host_->start();
    EXPECT_EQ(mod->ModName, L"ReruRavuze");
    EXPECT_EQ(mod->ModVersion, L"1.4");
    EXPECT_EQ(mod->ModDescription,
              L"Lua-controlled deterministic rand() (per call-site streams, import found by name)");
    EXPECT_EQ(mod->ModAuthors, L"you");

    const uintptr_t replacement = slot_value(__imp_rand);
    EXPECT_NE(replacement, msvcrt_original_);
    EXPECT_EQ(slot_value(__imp_ucrt_rand), replacement);

    // Each line reached both devices in order; the one that takes a level got 4.
    const std::vector<kvr::LoggedLine>& lines = host_->lines();
    ASSERT_EQ(lines.size(), 4u);
    for (std::size_t i = 0; i < 4; i += 2) {
        EXPECT_EQ(lines[i].text, lines[i + 1].text);
        EXPECT_FALSE(lines[i].with_level);
        EXPECT_TRUE(lines[i + 1].with_level);
        EXPECT_EQ(lines[i + 1].level, 4);
    }
    const std::wstring msvcrt_line = hooked_line(offset_of(__imp_rand));
    const std::wstring ucrt_line = hooked_line(offset_of(__imp_ucrt_rand));
    EXPECT_TRUE((lines[0].text == msvcrt_line && lines[2].text == ucrt_line) ||
                (lines[0].text == ucrt_line && lines[2].text == msvcrt_line))
        << kvr::wide_to_utf8(lines[0].text) << kvr::wide_to_utf8(lines[2].text);

    // The functions are in the Lua mod's three states and in each hook state; right after
    // loading nothing was called yet and both slots hold the replacement.
    host_->start_lua(2);
    ASSERT_EQ(host_->lua_state_count(), 5u);
    for (std::size_t state = 0; state < 5; ++state) {
        EXPECT_EQ(host_->call(state, "GetRandDebug"), (std::vector<int64_t>{0, 0, 2, 0}));
    }

    host_->uninstall();
    EXPECT_EQ(slot_value(__imp_rand), msvcrt_original_);
    EXPECT_EQ(slot_value(__imp_ucrt_rand), ucrt_original_);
}

TEST_F(RandModInProcess, ClosedWindowPassesThroughOpenWindowServesTheSeededStream) {
    srand(7);
    const std::vector<int> crt = draw5();

    load();
    host_->start();
    host_->start_lua(1);
    srand(7);
    EXPECT_EQ(draw5(), crt);

    call("SetRandSeed", {int64_t{2024}});
    call("SetRandWindow", {true});
    const std::vector<int> served = draw5();
    EXPECT_NE(served, crt);

    // The site is this program's call instruction, keyed relative to the executable.
    const std::vector<int64_t> site = call("GetRandCaller", {int64_t{0}});
    ASSERT_EQ(site.size(), 3u);
    EXPECT_GT(site[0], 0x1000);
    EXPECT_LT(site[0], 0x1000000);
    EXPECT_EQ(site[1], 10);
    EXPECT_EQ(site[2], 5);
    kvr::RandStreams expected_streams;
    kvr::set_rand_seed(expected_streams, 2024);
    expected_streams.window = true;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(served[i], kvr::draw_rand(expected_streams, static_cast<uint64_t>(site[0])));
    }

    call("SetRandSeed", {int64_t{2024}});
    EXPECT_EQ(draw5(), served);

    draw_ucrt(); // the second runtime's slot is a site of its own
    EXPECT_EQ(call("GetRandDebug"), (std::vector<int64_t>{16, 11, 2, 2}));

    call("SetRandEnabled", {false});
    srand(7);
    EXPECT_EQ(draw5(), crt);
    EXPECT_EQ(call("GetRandState"), (std::vector<int64_t>{2024}));
}

TEST_F(RandModInProcess, UninstallLeavesASlotSomeoneElseRepatched) {
    load();
    host_->start();
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(&__imp_ucrt_rand, 8, PAGE_READWRITE, &old));
    std::atomic_ref<uintptr_t>(__imp_ucrt_rand)
        .store(reinterpret_cast<uintptr_t>(&someone_elses_rand));
    host_->start_lua(0);
    EXPECT_EQ(call("GetRandDebug")[2], 1);

    host_->uninstall();
    EXPECT_EQ(slot_value(__imp_rand), msvcrt_original_);
    EXPECT_EQ(slot_value(__imp_ucrt_rand), reinterpret_cast<uintptr_t>(&someone_elses_rand));
    std::atomic_ref<uintptr_t>(__imp_ucrt_rand).store(ucrt_original_);
    VirtualProtect(&__imp_ucrt_rand, 8, old, &old);
}

TEST_F(RandModInProcess, WithoutOutputDevicesStartThrowsAndLeavesNoHook) {
    host_ = std::make_unique<ModHost>(0, 0);
    load();
    try {
        host_->start();
        FAIL() << "start_mod returned without devices to log to";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "[Output::send] Attempted to send but there were no default "
                               "devices. Please specify at least one default device or construct "
                               "a Targets object and supply your own devices.");
    }
    EXPECT_TRUE(host_->mods().empty());
    EXPECT_EQ(slot_value(__imp_rand), msvcrt_original_);
    EXPECT_EQ(slot_value(__imp_ucrt_rand), ucrt_original_);
}

TEST_F(RandModInProcess, SecondConstructionKeepsPassingThroughToTheRuntime) {
    srand(11);
    const std::vector<int> crt = draw5();
    load();
    host_->start();
    host_->start();
    EXPECT_EQ(host_->lines().size(), 8u);
    srand(11);
    EXPECT_EQ(draw5(), crt);
}

TEST(RandModProcesses, SameSeedGivesTheSameSequenceInEveryProcess) {
    const std::string first = run_host(L"--seed 99 --draws 10");
    const std::string second = run_host(L"--seed 99 --draws 10");
    const std::string other_seed = run_host(L"--seed 100 --draws 10");
    const std::string draws = line_starting(first, "draws:");
    ASSERT_FALSE(draws.empty()) << first;
    EXPECT_EQ(line_starting(second, "draws:"), draws);
    EXPECT_NE(line_starting(other_seed, "draws:"), draws);
    EXPECT_EQ(line_starting(first, "debug:"), "debug: 10 10 1 1");
    EXPECT_NE(line_starting(first, "[ReruRavuze] hooked rand import at exe+0x"), "");

    // With the window closed the host gets the runtime's own sequence.
    srand(5);
    std::string crt = "draws:";
    for (const int v : draw5())
        crt += ' ' + std::to_string(v);
    EXPECT_EQ(line_starting(run_host(L"--seed 99 --window 0 --srand 5 --draws 5"), "draws:"), crt);
}
