#include "DynamicOutput/DynamicOutput.hpp"

namespace RC::Output {

std::vector<std::unique_ptr<OutputDevice>>& DefaultTargets::get_default_devices_ref() {
    static std::vector<std::unique_ptr<OutputDevice>> devices;
    return devices;
}

} // namespace RC::Output
