#pragma once
// What the vendor-driver backend tells a person when no controller is found or
// one does not open. Pure functions, so the program and the tests share them.

#include <cstdint>
#include <string>

namespace velmor::win {

// The interface class the backend looks for, as Windows writes a GUID.
inline constexpr const char* kInterfaceClassText = "{AE18AA60-7F6A-11D4-97DD-00010229B959}";

// No interface of the class is present.
std::string NoDeviceText();
// Opening the interface at `path` failed with Win32 error `error`.
std::string OpenFailureText(const std::string& path, std::uint32_t error);

}  // namespace velmor::win
