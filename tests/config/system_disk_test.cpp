#include "config/system_disk.h"

#include <gtest/gtest.h>

namespace velmor::config {
namespace {

TEST(SystemDisk, DriveCAndTheSystemsOwnFoldersAreRefused) {
    const struct {
        const char* path;
        bool refused;
    } cases[] = {
        {"C:\\data\\x.cfg", true},
        {"c:\\data\\x.cfg", false},
        {"Config.cfg", true},
        {"config.cfg", false},
        {"/usr/share/x.cfg", true},
        {"/etc/x.cfg", true},
        {"/x.cfg", true},
        {"/var/lib/x.cfg", true},
        {"/var/tmp/x.cfg", false},
        {"/home/../usr/x.cfg", true},
        {"/home/me/x.cfg", false},
        {"/tmp/a/../x.cfg", false},
        {"/root/x.cfg", false},
        {"/media/usb/x.cfg", false},
        {"/opt/x.cfg", true},
        {"relative/usr/x.cfg", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(OnSystemDisk(c.path), c.refused) << c.path;
}

}  // namespace
}  // namespace velmor::config
