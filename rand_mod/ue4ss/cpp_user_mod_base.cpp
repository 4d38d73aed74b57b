#include "Mod/CppUserModBase.hpp"

namespace RC {

// Out of line so the mod imports them from the loader's library, as it does from the real one.
CppUserModBase::CppUserModBase() = default;
CppUserModBase::~CppUserModBase() = default;

} // namespace RC
