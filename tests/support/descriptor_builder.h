#pragma once
// Builds descriptor tables byte by byte for the tests, the way a device's
// firmware lays them out. Lengths and totals are filled in unless a test
// overrides them to make a table wrong on purpose.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace velmor::usb::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes DeviceDescriptor(std::uint16_t bcdUSB, std::uint8_t maxPacket0,
                              std::uint8_t numConfigs = 1, std::uint8_t iManufacturer = 1,
                              std::uint8_t iProduct = 2, std::uint8_t iSerial = 3) {
    return {18,
            1,
            static_cast<std::uint8_t>(bcdUSB),
            static_cast<std::uint8_t>(bcdUSB >> 8),
            0xFF,
            0x01,
            0x02,
            maxPacket0,
            0x34,
            0x12,  // idVendor 0x1234
            0x78,
            0x56,  // idProduct 0x5678
            0x01,
            0x02,  // bcdDevice 0x0201
            iManufacturer,
            iProduct,
            iSerial,
            numConfigs};
}

// A string descriptor holding `text` as UTF-16LE (ASCII only).
inline Bytes StringDescriptor(const std::string& text) {
    Bytes out{static_cast<std::uint8_t>(2 + 2 * text.size()), 3};
    for (char c : text) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

inline Bytes LanguageList(std::initializer_list<std::uint16_t> languages) {
    Bytes out{static_cast<std::uint8_t>(2 + 2 * languages.size()), 3};
    for (std::uint16_t id : languages) {
        out.push_back(static_cast<std::uint8_t>(id));
        out.push_back(static_cast<std::uint8_t>(id >> 8));
    }
    return out;
}

// A configuration table; descriptors are appended in order.
class ConfigBuilder {
  public:
    explicit ConfigBuilder(std::uint8_t numInterfaces = 1, std::uint8_t value = 1,
                           std::uint8_t attributes = 0x80, std::uint8_t maxPower = 50)
        : bytes_{9, 2, 0, 0, numInterfaces, value, 0, attributes, maxPower} {}

    ConfigBuilder& Interface(std::uint8_t number, std::uint8_t alternate, std::uint8_t numEndPoints,
                             std::uint8_t cls = 0xFF, std::uint8_t subClass = 0,
                             std::uint8_t protocol = 0) {
        return Raw({9, 4, number, alternate, numEndPoints, cls, subClass, protocol, 0});
    }
    ConfigBuilder& EndPoint(std::uint8_t address, std::uint8_t attributes,
                            std::uint16_t wMaxPacketSize, std::uint8_t interval = 0) {
        return Raw({7, 5, address, attributes, static_cast<std::uint8_t>(wMaxPacketSize),
                    static_cast<std::uint8_t>(wMaxPacketSize >> 8), interval});
    }
    ConfigBuilder& Companion(std::uint8_t maxBurst, std::uint8_t attributes = 0,
                             std::uint16_t bytesPerInterval = 0) {
        return Raw({6, 0x30, maxBurst, attributes, static_cast<std::uint8_t>(bytesPerInterval),
                    static_cast<std::uint8_t>(bytesPerInterval >> 8)});
    }
    // A class-specific descriptor of `length` bytes (type 0x24).
    ConfigBuilder& ClassSpecific(std::uint8_t length = 5) {
        Bytes d(length, 0xCC);
        d[0] = length;
        if (length > 1) d[1] = 0x24;
        bytes_.insert(bytes_.end(), d.begin(), d.end());
        return *this;
    }
    ConfigBuilder& Raw(std::initializer_list<std::uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // The table with wTotalLength = its size (or `totalOverride`).
    Bytes Build(int totalOverride = -1) const {
        Bytes out = bytes_;
        const auto total =
            static_cast<std::uint16_t>(totalOverride < 0 ? out.size() : totalOverride);
        out[2] = static_cast<std::uint8_t>(total);
        out[3] = static_cast<std::uint8_t>(total >> 8);
        return out;
    }

  private:
    Bytes bytes_;
};

// A BOS table with the three capabilities the link records.
class BosBuilder {
  public:
    BosBuilder() : bytes_{5, 0x0F, 0, 0, 0} {}

    BosBuilder& Usb20Extension(std::uint32_t attributes) {
        return Capability({7, 0x10, 2, static_cast<std::uint8_t>(attributes),
                           static_cast<std::uint8_t>(attributes >> 8),
                           static_cast<std::uint8_t>(attributes >> 16),
                           static_cast<std::uint8_t>(attributes >> 24)});
    }
    BosBuilder& SuperSpeed(std::uint16_t speeds, std::uint16_t u2Latency) {
        return Capability({10, 0x10, 3, 0x02, static_cast<std::uint8_t>(speeds),
                           static_cast<std::uint8_t>(speeds >> 8), 1, 0x0A,
                           static_cast<std::uint8_t>(u2Latency),
                           static_cast<std::uint8_t>(u2Latency >> 8)});
    }
    BosBuilder& ContainerId(std::uint8_t first) {
        Bytes d{20, 0x10, 4, 0};
        for (std::uint8_t i = 0; i < 16; ++i) d.push_back(static_cast<std::uint8_t>(first + i));
        bytes_.insert(bytes_.end(), d.begin(), d.end());
        ++bytes_[4];
        return *this;
    }
    BosBuilder& Capability(std::initializer_list<std::uint8_t> bytes) {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        ++bytes_[4];
        return *this;
    }
    Bytes Build(int totalOverride = -1, int numCapsOverride = -1) const {
        Bytes out = bytes_;
        const auto total =
            static_cast<std::uint16_t>(totalOverride < 0 ? out.size() : totalOverride);
        out[2] = static_cast<std::uint8_t>(total);
        out[3] = static_cast<std::uint8_t>(total >> 8);
        if (numCapsOverride >= 0) out[4] = static_cast<std::uint8_t>(numCapsOverride);
        return out;
    }

  private:
    Bytes bytes_;
};

// The controller as it presents itself: one vendor interface with bulk 0x02 out
// and 0x82 in, with companions when `superSpeed`.
inline Bytes ControllerConfig(bool superSpeed) {
    ConfigBuilder c;
    c.Interface(0, 0, 2);
    c.EndPoint(0x02, 2, superSpeed ? 1024 : 512);
    if (superSpeed) c.Companion(3);
    c.EndPoint(0x82, 2, superSpeed ? 1024 : 512);
    if (superSpeed) c.Companion(0);
    return c.Build();
}

}  // namespace velmor::usb::test
