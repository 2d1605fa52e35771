// The descriptors a device returns when it is opened: device, configuration, BOS and
// string descriptors, as a driver hands them over (cut short or overstated now and
// then), and the same tables straight into the parsers.
//
// Properties: a parsed configuration holds no more interface records and endpoints
// than there are slots and than its descriptors announce; a parsed BOS walks no more
// capabilities than announced; a string payload copy stays inside its buffer; the
// opened link's endpoint table agrees with its interface record.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include "common/fuzz_check.h"
#include "common/fuzz_input.h"
#include "support/fake_driver.h"
#include "usb/descriptor_parser.h"
#include "usb/null_usb_driver.h"
#include "usb/usb_descriptors.h"
#include "usb/usb_error.h"
#include "usb/usb_link.h"

namespace {

using velmor::usb::UsbConfigRecord;

void CheckConfiguration(const UsbConfigRecord& config) {
    using namespace velmor::usb;
    FUZZ_CHECK(config.interfaceCount <= kMaxInterfaceRecords);
    for (std::size_t i = 0; i < kMaxInterfaceRecords; ++i) {
        const auto& record = config.interfaces[i];
        FUZZ_CHECK((record != nullptr) == (i < config.interfaceCount));
        if (!record) continue;
        FUZZ_CHECK(record->endPoints[0] == nullptr);
        std::size_t endPoints = 0;
        for (const auto& e : record->endPoints) endPoints += e != nullptr;
        FUZZ_CHECK(endPoints <= record->NumEndPoints() && endPoints <= kMaxEndPoints);
        FUZZ_CHECK(record->altSettings >= 1 && record->altSettings <= config.interfaceCount);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    fuzz::FuzzInput in(data, size);
    const std::uint8_t flags = in.Byte();

    usb::test::FakeDevice device;
    device.deviceDescriptor = in.Chunk();
    device.configs[0] = in.Chunk();
    if ((flags & 1) != 0) device.configs[1] = in.Chunk();
    device.bos = in.Chunk();
    for (std::uint8_t index = 0; index < 4; ++index) device.strings[index] = in.Chunk();
    device.altSetting = in.Byte() & 3;
    device.speed = in.Byte() % 5;

    // The tables straight into the parsers.
    usb::NullUsbDriver none;
    if (auto config = usb::ParseConfiguration(device.configs[0], (flags & 2) != 0, none, 0))
        CheckConfiguration(*config);
    if (auto bos = usb::ParseBos(device.bos))
        FUZZ_CHECK(device.bos.size() >= 5 && bos->capabilitiesWalked <= device.bos[4]);
    usb::ChooseLanguage(device.strings[0]);
    // The copy gets 32 bytes of a larger buffer: the rest must stay untouched.
    std::array<std::uint8_t, 40> payload{};
    payload.fill(0xA5);
    FUZZ_CHECK(usb::CopyStringPayload(device.strings[1],
                                      std::span<std::uint8_t>(payload).first(32)) <= 32);
    FUZZ_CHECK(
        std::all_of(payload.begin() + 32, payload.end(), [](std::uint8_t b) { return b == 0xA5; }));
    if (device.deviceDescriptor.size() >= 8)
        usb::ControlPacketSize(static_cast<std::uint16_t>(device.deviceDescriptor[2] |
                                                          (device.deviceDescriptor[3] << 8)),
                               device.deviceDescriptor[7]);

    // The same answers through a driver, as the link opens the device.
    usb::test::FakeDriver driver;
    if ((flags & 4) != 0) driver.descriptorFaults.push_back(usb::test::Truncated(2, 0, in.Byte()));
    if ((flags & 8) != 0) driver.descriptorFaults.push_back(usb::test::Overstated(2, 0, in.Byte()));
    if ((flags & 16) != 0) driver.descriptorFaults.push_back(usb::test::Truncated(1, 0, in.Byte()));
    driver.AddDevice(device);
    try {
        usb::CUsbLink link(driver, usb::WindowId{0}, usb::kVendorInterfaceClass, false);
        if (link.OpenDevice(0)) {
            FUZZ_CHECK(link.EndPointCount() <= usb::kEndPointSlots);
            for (std::uint8_t slot = 0; slot < link.EndPointCount(); ++slot) link.EndPoint(slot);
            if (const UsbConfigRecord* config = link.ConfigRecord(0)) CheckConfiguration(*config);
            for (std::uint8_t address : {0x02, 0x82, 0x81, 0x01, 0x00}) {
                try {
                    link.FindEndPoint(address);
                } catch (const usb::UsbError&) {
                }
            }
            std::uint8_t bytes[9];
            link.CopyConfigDesc(bytes);
            link.CopyInterfaceDesc(bytes);
        }
        link.Shutdown();
    } catch (const usb::UsbError&) {
        // The link reports what it cannot do by raising its error; that is no fault.
    }
    return 0;
}
