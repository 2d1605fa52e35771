#pragma once
// Parsed descriptor records of a device: configurations with their interface
// records and endpoints, and the BOS capabilities of USB 3.x devices.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "usb/usb_end_point.h"

namespace velmor::usb {

// Descriptor types.
inline constexpr std::uint8_t kDescDevice = 1;
inline constexpr std::uint8_t kDescConfiguration = 2;
inline constexpr std::uint8_t kDescString = 3;
inline constexpr std::uint8_t kDescInterface = 4;
inline constexpr std::uint8_t kDescEndPoint = 5;
inline constexpr std::uint8_t kDescBos = 0x0F;
inline constexpr std::uint8_t kDescDeviceCapability = 0x10;
inline constexpr std::uint8_t kDescSsEndPointCompanion = 0x30;

// Fixed sizes and limits of the records.
inline constexpr std::size_t kDeviceDescriptorSize = 18;
inline constexpr std::size_t kConfigDescriptorSize = 9;
inline constexpr std::size_t kInterfaceDescriptorSize = 9;
inline constexpr std::size_t kEndPointDescriptorSize = 7;
inline constexpr std::size_t kCompanionDescriptorSize = 6;
inline constexpr std::size_t kBosDescriptorSize = 5;
inline constexpr std::size_t kMaxConfigurations = 2;
inline constexpr std::size_t kMaxInterfaceRecords = 8;
inline constexpr std::size_t kEndPointSlots = 32;  // slot 0: the control endpoint
inline constexpr std::size_t kMaxEndPoints = kEndPointSlots - 1;
inline constexpr std::size_t kMaxSkippedDescriptors = 11;  // per interface block

struct UsbInterfaceRecord {
    // Endpoints in descriptor order from slot 1; slot 0 stays empty here (the
    // device's control endpoint is shared by all interfaces and owned by the link).
    std::array<std::unique_ptr<CUsbEndPoint>, kEndPointSlots> endPoints;
    std::array<std::uint8_t, kInterfaceDescriptorSize> descriptor{};  // bLength..iInterface
    std::uint8_t altSettings = 0;   // records of the configuration with this bInterfaceNumber
    std::uint16_t totalLength = 0;  // bytes of the interface's descriptor block

    std::uint8_t InterfaceNumber() const { return descriptor[2]; }
    std::uint8_t AlternateSetting() const { return descriptor[3]; }
    std::uint8_t NumEndPoints() const { return descriptor[4]; }
    std::uint8_t InterfaceClass() const { return descriptor[5]; }
    std::uint8_t InterfaceSubClass() const { return descriptor[6]; }
    std::uint8_t InterfaceProtocol() const { return descriptor[7]; }
};

struct UsbConfigRecord {
    std::array<std::unique_ptr<UsbInterfaceRecord>, kMaxInterfaceRecords> interfaces;
    std::array<std::uint8_t, kConfigDescriptorSize> descriptor{};  // bLength..bMaxPower
    std::uint8_t interfaceCount = 0;                               // interface records found

    std::uint8_t NumInterfaces() const { return descriptor[4]; }
    std::uint8_t ConfigurationValue() const { return descriptor[5]; }
    std::uint8_t Attributes() const { return descriptor[7]; }
    std::uint8_t MaxPower() const { return descriptor[8]; }
};

struct UsbBosRecord {
    // The first three bytes every device capability starts with, and whether the
    // table held that capability at all.
    struct Capability {
        bool present = false;
        std::uint8_t bLength = 0;
        std::uint8_t bDescriptorType = 0;
        std::uint8_t bDevCapabilityType = 0;
    };
    struct Usb20Extension : Capability {  // capability type 2
        std::uint32_t bmAttributes = 0;
    };
    struct SuperSpeedUsb : Capability {  // capability type 3
        std::uint8_t bmAttributes = 0;
        std::uint16_t wSpeedsSupported = 0;
        std::uint8_t bFunctionalitySupport = 0;
        std::uint8_t bU1DevExitLat = 0;
        std::uint16_t wU2DevExitLat = 0;
    };
    struct ContainerId : Capability {  // capability type 4
        std::uint8_t bReserved = 0;
        std::array<std::uint8_t, 16> containerId{};
    };

    Usb20Extension usb20Extension;
    SuperSpeedUsb superSpeed;
    ContainerId containerId;
    std::uint8_t capabilitiesWalked = 0;
};

}  // namespace velmor::usb
