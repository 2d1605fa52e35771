// Vendor requests against a device whose replies come from the fuzz bytes: checked
// reads [N, d1..dN] with any count byte and check byte, checked writes, the firmware
// identity and plain transfers of any length.
//
// Properties: a checked read that reports success carried a count no larger than asked
// for and than the caller's room, all its bytes arrived, and its last byte is the sum of
// the others; the caller's buffer is never written past its room; a checked write sends
// its check byte. The driver's byte counts are true here: the device, not the driver,
// is the one not trusted.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/fuzz_check.h"
#include "common/fuzz_controller.h"
#include "common/fuzz_input.h"
#include "usb/ioctl_codes.h"
#include "usb/xfer_request.h"

namespace {

constexpr std::size_t kCanary = 16;

bool CanaryKept(const std::vector<std::uint8_t>& buffer, std::size_t room) {
    return std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(room), buffer.end(),
                       [](std::uint8_t b) { return b == 0xA5; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    fuzz::FuzzInput in(data, size);
    fuzz::FuzzController rig;
    rig.countsFromFuzz = false;

    for (int step = 0; step < 6 && !in.Empty(); ++step) {
        const std::uint8_t op = in.Byte();
        const int length = in.Byte() % 140;
        const int room = in.Byte() % 140;
        rig.ScriptTransfers(in, 1 + in.Byte() % 6);
        switch (op % 4) {
            case 0: {
                std::vector<std::uint8_t> out(static_cast<std::size_t>(room) + kCanary, 0xA5);
                const bool ok = rig.op.VendorReadChecked(length, 0xED, out.data(), 30, room);
                FUZZ_CHECK(CanaryKept(out, static_cast<std::size_t>(room)));
                if (!ok) break;
                // The reply that was taken is one of the scripted answers: the one whose
                // bytes the caller now holds.
                bool matched = false;
                for (const auto& answer : rig.answers) {
                    if (answer.empty()) continue;
                    const int n = answer[0];
                    if (n > length || n > room || answer.size() < static_cast<std::size_t>(n) + 1)
                        continue;
                    if (!std::equal(answer.begin() + 1, answer.begin() + 1 + n, out.begin()))
                        continue;
                    std::uint8_t sum = 0;
                    for (int i = 1; i < n; ++i) sum = static_cast<std::uint8_t>(sum + answer[i]);
                    matched = matched || n == 0 || sum == answer[n];
                }
                FUZZ_CHECK(matched);
                break;
            }
            case 1: {
                std::vector<std::uint8_t> frame = in.Bytes(static_cast<std::size_t>(length));
                rig.driver.ClearCalls();
                if (frame.empty()) {
                    FUZZ_CHECK(!rig.op.VendorWriteChecked(frame.data(), 0, false));
                    break;
                }
                rig.op.VendorWriteChecked(frame.data(), static_cast<int>(frame.size()),
                                          (op & 0x10) != 0);
                std::uint8_t sum = 0;
                for (std::size_t i = 0; i + 1 < frame.size(); ++i)
                    sum = static_cast<std::uint8_t>(sum + frame[i]);
                FUZZ_CHECK(frame.back() == sum);
                break;
            }
            case 2: {
                std::vector<std::uint8_t> id(16 + kCanary, 0xA5);
                rig.op.ReadFirmwareId(id.data());
                FUZZ_CHECK(CanaryKept(id, 16));
                break;
            }
            default: {
                const int bytes = length * 5;  // beyond the 512-byte transfer buffer too
                std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bytes) + kCanary, 0xA5);
                int moved = -1;
                const bool ok = rig.op.VendorTransfer(in.Byte(), op & 0x20 ? 1 : 0, in.U16(),
                                                      in.U16(), buffer.data(), bytes, &moved);
                FUZZ_CHECK(CanaryKept(buffer, static_cast<std::size_t>(bytes)));
                FUZZ_CHECK(moved >= 0 && moved <= bytes);
                FUZZ_CHECK(!ok || bytes <= 512);
                break;
            }
        }
    }
    return 0;
}
