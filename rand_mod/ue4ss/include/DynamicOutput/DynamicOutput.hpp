// Output devices: where a mod's log text goes. The loader owns one list of default devices;
// `send` hands a text to each of them in order.
#pragma once
#include "StandIn/Api.hpp"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace RC {

// The loader's levels, which double as its console colours (4, Error, is red).
namespace LogLevel {
enum LogLevel : int32_t {
    Default = 0,
    Normal = 1,
    Verbose = 2,
    Warning = 3,
    Error = 4,
};
} // namespace LogLevel

namespace Output {

class RC_UE4SS_API OutputDevice {
  public:
    virtual ~OutputDevice() = default;
    // Which receive operation a device wants: the plain one, or the one that takes the level.
    virtual bool has_optional_arg() const { return false; }
    virtual void receive(std::wstring_view text) const = 0;
    virtual void receive_with_optional_arg(std::wstring_view text, int32_t optional_arg) const {
        (void)optional_arg;
        receive(text);
    }
};

class RC_UE4SS_API DefaultTargets {
  public:
    static std::vector<std::unique_ptr<OutputDevice>>& get_default_devices_ref();
};

// Sends one text to every default device; a list without devices is a programming error of
// whoever set up the loader, reported as an exception. The text is a zero-terminated pointer,
// the narrower of the forms a loader's send may take, so the mod is built against both.
template <int32_t optional_arg = LogLevel::Default> void send(const wchar_t* text) {
    const auto& devices = DefaultTargets::get_default_devices_ref();
    if (devices.empty()) {
        throw std::runtime_error(
            "[Output::send] Attempted to send but there were no default devices. Please specify "
            "at least one default device or construct a Targets object and supply your own "
            "devices.");
    }
    for (const auto& device : devices) {
        if (device->has_optional_arg()) {
            device->receive_with_optional_arg(text, optional_arg);
        } else {
            device->receive(text);
        }
    }
}

} // namespace Output
} // namespace RC
