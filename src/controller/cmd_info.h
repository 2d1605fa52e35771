#pragma once
// One register command of a command set.

#include <cstdint>
#include <string>

namespace velmor::controller {

struct CMD_INFO {
    std::string KeyName;  // command-set (group) name, e.g. "InitDone"
    std::string RegName;  // register name as shown, may end in a bit range "[15:8]"
    std::string OptType;  // operation keyword, e.g. "RegWrite"; other texts kept as they are
    std::uint16_t Addr = 0;
    std::uint8_t Data = 0;

    friend bool operator==(const CMD_INFO&, const CMD_INFO&) = default;
};

// An entry handed to the command-sets dialog; no file holds it.
struct CmdNameInfo {
    int number = 0;
    std::string name;
    std::string path;
};

}  // namespace velmor::controller
