#include "drivers/sim/sim_descriptors.h"

#include <algorithm>

#include "drivers/sim/sim_driver.h"
#include "usb/usb_descriptors.h"
#include "usb/xfer_request.h"

namespace velmor::sim {

namespace {

constexpr std::uint8_t kVendorSpecificClass = 0xFF;
constexpr std::uint8_t kBulk = 0x02;
constexpr std::uint8_t kEndpointsPerInterface = 2;

void AppendLe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

SimDescriptors::SimDescriptors(const SimDeviceOptions& options, std::size_t deviceIndex)
    : superSpeed_((options.bcdUSB & 0xFF00) == 0x0300) {
    // Device descriptor. From USB 3.0 on, bMaxPacketSize0 is an exponent (9: 512).
    device_ = {18, usb::kDescDevice};
    AppendLe16(device_, options.bcdUSB);
    device_.insert(device_.end(),
                   {0x00, 0x00, 0x00, superSpeed_ ? std::uint8_t{9} : std::uint8_t{64}});
    AppendLe16(device_, options.vendorId);
    AppendLe16(device_, options.productId);
    AppendLe16(device_, 0x0100);                  // bcdDevice
    device_.insert(device_.end(), {1, 2, 3, 1});  // manufacturer, product, serial; 1 configuration

    BuildConfiguration(options);
    if (superSpeed_) BuildBos();

    const std::string serial =
        options.serialNumber.empty() ? "SIM" + std::to_string(deviceIndex) : options.serialNumber;
    strings_.push_back({4, usb::kDescString, 0x09, 0x04});  // US English only
    strings_.push_back(StringDescriptor("Velmor"));
    strings_.push_back(StringDescriptor(options.deviceName));
    strings_.push_back(StringDescriptor(serial));
}

std::vector<std::uint8_t> SimDescriptors::StringDescriptor(const std::string& text) {
    // UTF-16LE of the (ASCII) text; bLength is one byte, so at most 126 characters.
    const std::size_t chars = std::min<std::size_t>(text.size(), 126);
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(2 + 2 * chars), usb::kDescString};
    for (std::size_t i = 0; i < chars; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        out.push_back(c < 0x80 ? c : '?');
        out.push_back(0);
    }
    return out;
}

void SimDescriptors::BuildConfiguration(const SimDeviceOptions& options) {
    const std::uint8_t interfaces = std::clamp<std::uint8_t>(options.interfaceCount, 1, 4);
    configuration_ = {9,
                      usb::kDescConfiguration,
                      0,
                      0,
                      interfaces,
                      1,                                                      // bConfigurationValue
                      0,                                                      // iConfiguration
                      0x80,                                                   // bus powered
                      static_cast<std::uint8_t>(superSpeed_ ? 0x32 : 0xFA)};  // 400 mA / 500 mA
    AppendInterface(0, 0, kRegisterOutEndpoint, kRegisterInEndpoint);
    // The alternate setting the driver reports gets its own record, so a host can
    // tell whether it picked the record that matches.
    if (options.altSetting != 0)
        AppendInterface(0, options.altSetting, kRegisterOutEndpoint, kRegisterInEndpoint);
    for (std::uint8_t i = 1; i < interfaces; ++i) {
        const auto out = static_cast<std::uint8_t>(0x02 + 2 * i);
        AppendInterface(i, 0, out, static_cast<std::uint8_t>(out | 0x80));
    }
    usb::PutLe16(configuration_.data() + 2, static_cast<std::uint16_t>(configuration_.size()));
}

void SimDescriptors::AppendInterface(std::uint8_t number, std::uint8_t alternate,
                                     std::uint8_t outEp, std::uint8_t inEp) {
    configuration_.insert(configuration_.end(),
                          {9, usb::kDescInterface, number, alternate, kEndpointsPerInterface,
                           kVendorSpecificClass, 0, 0, 0});
    for (std::uint8_t address : {outEp, inEp}) {
        configuration_.insert(configuration_.end(), {7, usb::kDescEndPoint, address, kBulk});
        AppendLe16(configuration_, superSpeed_ ? 1024 : 512);
        configuration_.push_back(0);  // bInterval
        if (superSpeed_) {
            // Bursts of up to 16 packets, no streams.
            configuration_.insert(configuration_.end(),
                                  {6, usb::kDescSsEndPointCompanion, 15, 0, 0, 0});
        }
    }
}

void SimDescriptors::BuildBos() {
    bos_ = {5, usb::kDescBos, 0, 0, 3};
    // USB 2.0 extension: link power management.
    bos_.insert(bos_.end(), {7, usb::kDescDeviceCapability, 2, 0x02, 0, 0, 0});
    // SuperSpeed USB: full, high and SuperSpeed; functional from full speed;
    // U1 exit latency 10 us, U2 2047 us.
    bos_.insert(bos_.end(),
                {10, usb::kDescDeviceCapability, 3, 0x00, 0x0E, 0x00, 0x01, 0x0A, 0xFF, 0x07});
    // Container ID.
    bos_.insert(bos_.end(), {20, usb::kDescDeviceCapability, 4, 0});
    for (std::uint8_t i = 0; i < 16; ++i) bos_.push_back(static_cast<std::uint8_t>(0xA0 + i));
    usb::PutLe16(bos_.data() + 2, static_cast<std::uint16_t>(bos_.size()));
}

std::optional<std::vector<std::uint8_t>> SimDescriptors::Get(std::uint8_t type,
                                                             std::uint8_t index) const {
    switch (type) {
        case usb::kDescDevice:
            return device_;
        case usb::kDescConfiguration:
            if (index == 0) return configuration_;
            return std::nullopt;
        case usb::kDescString:
            if (index < strings_.size()) return strings_[index];
            return std::nullopt;
        case usb::kDescBos:
            if (superSpeed_) return bos_;
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

}  // namespace velmor::sim
