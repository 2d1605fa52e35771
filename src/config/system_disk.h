#pragma once
// Where "另存为" refuses to save a configuration file.
//
// On the drive-letter systems the configuration files come from, the system disk
// is drive C, and the page refuses a path whose first character is "C" (capital
// only: "c:\..." is accepted). That rule is kept as it is. On this platform the
// system disk is the root file system's own part: a file directly in "/" or under
// one of the folders the operating system keeps for itself (/usr, /etc, /var, ...)
// is refused as well. Home folders (/root among them), /tmp, /var/tmp, /media and
// /mnt stay open. The path is judged as written, after "." and ".." are
// resolved; links are not followed.

#include <string_view>

namespace velmor::config {

bool OnSystemDisk(std::string_view path);

}  // namespace velmor::config
