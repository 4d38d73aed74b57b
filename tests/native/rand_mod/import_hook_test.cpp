#include "rand_mod/import_hook.h"

#include <DynamicOutput/DynamicOutput.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

using namespace kvr;

namespace {

int crt_rand_a() {
    return 1;
}
int crt_rand_b() {
    return 2;
}
int replacement() {
    return 3;
}
int someone_elses() {
    return 4;
}

uintptr_t address_of(int (*f)()) {
    return reinterpret_cast<uintptr_t>(f);
}

// A stand-in for the executable: its base, then an import address table at offsets with hex
// letters in them (0x1A8, 0x1B0, 0x1B8).
struct FakeExe {
    uintptr_t header[0x35] = {};
    uintptr_t slots[3] = {address_of(crt_rand_a), address_of(someone_elses),
                          address_of(crt_rand_b)};

    uintptr_t base() const { return reinterpret_cast<uintptr_t>(this); }
    uint32_t offset(int i) const {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&slots[i]) - base());
    }
};

// Page protection as the tests see it: some slots refuse, and every successful change must be
// undone with the protection it returned.
std::set<uintptr_t> refusing;
int open_changes = 0;
constexpr uint32_t kReadOnly = 0x02;

bool fake_make_writable(uintptr_t slot, uint32_t* old_protection) {
    if (refusing.count(slot)) return false;
    *old_protection = kReadOnly;
    ++open_changes;
    return true;
}

void fake_restore(uintptr_t, uint32_t old_protection) {
    EXPECT_EQ(old_protection, kReadOnly);
    --open_changes;
}

constexpr SlotProtection kFakeProtection{fake_make_writable, fake_restore};

class ImportHookTest : public ::testing::Test {
  protected:
    void SetUp() override {
        refusing.clear();
        open_changes = 0;
    }
    void TearDown() override { EXPECT_EQ(open_changes, 0); }

    void install(const std::vector<uint32_t>& offsets) {
        install_import_hook(hook, *streams, exe.base(), offsets, address_of(replacement),
                            kFakeProtection, [this](std::wstring_view line) {
                                lines.emplace_back(line);
                                if (fail_log) throw std::runtime_error("no devices");
                            });
    }
    void remove() { remove_import_hook(hook, address_of(replacement), kFakeProtection); }

    FakeExe exe;
    ImportHook hook;
    std::unique_ptr<RandStreams> streams = std::make_unique<RandStreams>();
    std::vector<std::wstring> lines;
    bool fail_log = false;
};

} // namespace

TEST_F(ImportHookTest, BothSlotsPatchedLoggedAndRestoredToTheirOwnFunctions) {
    install({exe.offset(0), exe.offset(2)});
    EXPECT_EQ(exe.slots[0], address_of(replacement));
    EXPECT_EQ(exe.slots[1], address_of(someone_elses));
    EXPECT_EQ(exe.slots[2], address_of(replacement));
    EXPECT_EQ(lines,
              (std::vector<std::wstring>{L"[ReruRavuze] hooked rand import at exe+0x1A8\n",
                                         L"[ReruRavuze] hooked rand import at exe+0x1B8\n"}));
    // The first slot's function is every slot's pass-through.
    EXPECT_EQ(streams->real_rand.load(), &crt_rand_a);
    EXPECT_EQ(slots_holding(hook, address_of(replacement)), 2u);

    remove();
    EXPECT_EQ(exe.slots[0], address_of(crt_rand_a));
    EXPECT_EQ(exe.slots[2], address_of(crt_rand_b));
    EXPECT_EQ(slots_holding(hook, address_of(replacement)), 0u);
}

TEST_F(ImportHookTest, NoSlotsLogsOnceAndChangesNothing) {
    install({});
    EXPECT_EQ(lines, (std::vector<std::wstring>{
                         L"[ReruRavuze] no import of rand() found in the game exe - the game may "
                         L"now link rand statically, nothing was hooked\n"}));
    EXPECT_EQ(streams->real_rand.load(), nullptr);
    remove();
    EXPECT_EQ(exe.slots[0], address_of(crt_rand_a));
}

TEST_F(ImportHookTest, RefusedProtectionIsLoggedAndTheOtherSlotsArePatched) {
    refusing.insert(exe.base() + exe.offset(0));
    install({exe.offset(0), exe.offset(2)});
    EXPECT_EQ(lines,
              (std::vector<std::wstring>{L"[ReruRavuze] VirtualProtect failed for slot +0x1A8\n",
                                         L"[ReruRavuze] hooked rand import at exe+0x1B8\n"}));
    EXPECT_EQ(exe.slots[0], address_of(crt_rand_a));
    EXPECT_EQ(exe.slots[2], address_of(replacement));
    EXPECT_EQ(streams->real_rand.load(), &crt_rand_a); // saved before patching, from slot one
    EXPECT_EQ(slots_holding(hook, address_of(replacement)), 1u);
}

TEST_F(ImportHookTest, RemovingLeavesASlotSomeoneElseRepatched) {
    install({exe.offset(0), exe.offset(2)});
    exe.slots[2] = address_of(someone_elses);
    remove();
    EXPECT_EQ(exe.slots[0], address_of(crt_rand_a));
    EXPECT_EQ(exe.slots[2], address_of(someone_elses));
}

TEST_F(ImportHookTest, SecondInstallNeverTakesTheReplacementAsTheRealRand) {
    install({exe.offset(0), exe.offset(2)});
    install({exe.offset(0), exe.offset(2)});
    EXPECT_EQ(streams->real_rand.load(), &crt_rand_a);
    EXPECT_EQ(lines.size(), 4u);
    remove();
    EXPECT_EQ(exe.slots[0], address_of(crt_rand_a));
    EXPECT_EQ(exe.slots[2], address_of(crt_rand_b));
}

TEST_F(ImportHookTest, FailingLogUndoesThePatchesOfThisInstall) {
    fail_log = true;
    EXPECT_THROW(install({exe.offset(0), exe.offset(2)}), std::runtime_error);
    EXPECT_EQ(exe.slots[0], address_of(crt_rand_a));
    EXPECT_EQ(exe.slots[2], address_of(crt_rand_b));
    EXPECT_EQ(lines.size(), 1u);

    // A later install that fails leaves the hooks of the earlier, live one in place.
    fail_log = false;
    install({exe.offset(0), exe.offset(2)});
    fail_log = true;
    EXPECT_THROW(install({exe.offset(0), exe.offset(2)}), std::runtime_error);
    EXPECT_EQ(exe.slots[0], address_of(replacement));
    EXPECT_EQ(exe.slots[2], address_of(replacement));
}

// The stand-in's levels are the loader's (they double as its console colours), so the level
// the mod sends, Error, reaches a device as the 4 the loader's devices expect.
TEST(StandInOutput, LevelsAreTheLoadersAndErrorReachesDevicesAs4) {
    EXPECT_EQ((std::vector<int>{RC::LogLevel::Default, RC::LogLevel::Normal, RC::LogLevel::Verbose,
                                RC::LogLevel::Warning, RC::LogLevel::Error}),
              (std::vector<int>{0, 1, 2, 3, 4}));
    struct LevelDevice : RC::Output::OutputDevice {
        int32_t* got;
        explicit LevelDevice(int32_t* got) : got(got) {}
        bool has_optional_arg() const override { return true; }
        void receive(std::wstring_view) const override {}
        void receive_with_optional_arg(std::wstring_view, int32_t level) const override {
            *got = level;
        }
    };
    int32_t got = -1;
    auto& devices = RC::Output::DefaultTargets::get_default_devices_ref();
    devices.push_back(std::make_unique<LevelDevice>(&got));
    RC::Output::send<RC::LogLevel::Error>(L"line\n");
    devices.clear();
    EXPECT_EQ(got, 4);
}
