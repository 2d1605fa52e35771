#include "usb/descriptor_parser.h"

#include <algorithm>
#include <cstring>

#include "usb/xfer_request.h"

namespace velmor::usb {

namespace {

// One descriptor header inside a table that ends at `end`.
struct Header {
    std::size_t length = 0;
    std::uint8_t type = 0;
};

// Reads the header at `pos`; false when it is cut off, its bLength is below
// `minLength` or the descriptor runs past `end`.
bool HeaderAt(std::span<const std::uint8_t> table, std::size_t pos, std::size_t end,
              std::size_t minLength, Header& header) {
    if (pos >= end || end - pos < 2) return false;
    header.length = table[pos];
    header.type = table[pos + 1];
    return header.length >= minLength && header.length <= end - pos;
}

std::unique_ptr<CUsbEndPoint> MakeEndPoint(UsbDriver& driver, DriverHandle handle,
                                           std::span<const std::uint8_t> descriptor,
                                           std::span<const std::uint8_t> companion) {
    switch (descriptor[3] & 3) {
        case kEndPointControl:
            return std::make_unique<CControlEndPoint>(driver, handle, descriptor);
        case kEndPointIsochronous:
            return std::make_unique<CIsocEndPoint>(driver, handle, descriptor, companion);
        case kEndPointBulk:
            return std::make_unique<CBulkEndPoint>(driver, handle, descriptor, companion);
        default:
            return std::make_unique<CInterruptEndPoint>(driver, handle, descriptor, companion);
    }
}

enum class BlockEnd { Done, Refused };

// Parses the interface block starting with the interface descriptor at `pos`:
// the descriptor, then its endpoints, each optionally with a companion. Other
// descriptors before an endpoint are skipped, at most kMaxSkippedDescriptors in
// the whole block; the block ends early at the table's end, at the next interface
// descriptor or when the skip limit is reached, leaving the remaining slots empty.
// `consumed` receives the bytes of the block.
BlockEnd ParseInterfaceBlock(std::span<const std::uint8_t> table, std::size_t pos, std::size_t end,
                             bool companions, UsbDriver& driver, DriverHandle handle,
                             UsbInterfaceRecord& record, std::size_t& consumed) {
    Header header;
    if (!HeaderAt(table, pos, end, kInterfaceDescriptorSize, header)) return BlockEnd::Refused;
    std::copy_n(table.begin() + static_cast<std::ptrdiff_t>(pos), kInterfaceDescriptorSize,
                record.descriptor.begin());
    std::size_t cursor = pos + header.length;

    const std::size_t wanted = std::min<std::size_t>(record.NumEndPoints(), kMaxEndPoints);
    std::size_t skipped = 0;
    std::size_t slot = 1;
    for (std::size_t e = 0; e < wanted; ++e) {
        // Find the endpoint descriptor, skipping class-specific ones.
        bool found = false;
        while (cursor < end) {
            if (!HeaderAt(table, cursor, end, 2, header)) return BlockEnd::Refused;
            if (header.type == kDescEndPoint) {
                found = true;
                break;
            }
            if (header.type == kDescInterface || skipped == kMaxSkippedDescriptors) break;
            ++skipped;
            cursor += header.length;
        }
        if (!found) break;
        if (header.length < kEndPointDescriptorSize) return BlockEnd::Refused;
        const auto descriptor = table.subspan(cursor, kEndPointDescriptorSize);
        cursor += header.length;

        std::span<const std::uint8_t> companion;
        if (companions && cursor < end) {
            Header next;
            if (!HeaderAt(table, cursor, end, 2, next)) return BlockEnd::Refused;
            if (next.type == kDescSsEndPointCompanion) {
                if (next.length < kCompanionDescriptorSize) return BlockEnd::Refused;
                companion = table.subspan(cursor, kCompanionDescriptorSize);
                cursor += next.length;
            }
        }
        record.endPoints[slot++] = MakeEndPoint(driver, handle, descriptor, companion);
    }
    consumed = cursor - pos;
    record.totalLength = static_cast<std::uint16_t>(consumed);
    return BlockEnd::Done;
}

}  // namespace

std::unique_ptr<UsbConfigRecord> ParseConfiguration(std::span<const std::uint8_t> table,
                                                    bool companions, UsbDriver& driver,
                                                    DriverHandle handle) {
    if (table.size() < kConfigDescriptorSize) return nullptr;
    if (table[0] < kConfigDescriptorSize || table[1] != kDescConfiguration) return nullptr;
    const std::size_t total = GetLe16(table.data() + 2);
    if (total < kConfigDescriptorSize || total > table.size() || table[0] > total) return nullptr;

    auto config = std::make_unique<UsbConfigRecord>();
    std::copy_n(table.begin(), kConfigDescriptorSize, config->descriptor.begin());

    std::size_t pos = table[0];
    while (pos < total && config->interfaceCount < kMaxInterfaceRecords) {
        Header header;
        if (!HeaderAt(table, pos, total, 2, header)) return nullptr;
        if (header.type != kDescInterface) {
            pos += header.length;
            continue;
        }
        auto record = std::make_unique<UsbInterfaceRecord>();
        std::size_t consumed = 0;
        if (ParseInterfaceBlock(table, pos, total, companions, driver, handle, *record, consumed) ==
            BlockEnd::Refused) {
            return nullptr;
        }
        pos += consumed;
        config->interfaces[config->interfaceCount++] = std::move(record);
    }

    for (std::size_t i = 0; i < config->interfaceCount; ++i) {
        const std::uint8_t number = config->interfaces[i]->InterfaceNumber();
        const auto same = std::count_if(
            config->interfaces.begin(), config->interfaces.begin() + config->interfaceCount,
            [number](const auto& other) { return other->InterfaceNumber() == number; });
        config->interfaces[i]->altSettings = static_cast<std::uint8_t>(same);
    }
    return config;
}

std::unique_ptr<UsbBosRecord> ParseBos(std::span<const std::uint8_t> table) {
    if (table.size() < kBosDescriptorSize) return nullptr;
    if (table[0] < kBosDescriptorSize || table[1] != kDescBos) return nullptr;
    const std::size_t total = GetLe16(table.data() + 2);
    if (total < kBosDescriptorSize || total > table.size() || table[0] > total) return nullptr;
    const std::uint8_t capabilities = table[4];

    auto bos = std::make_unique<UsbBosRecord>();
    std::size_t pos = table[0];
    while (pos < total && bos->capabilitiesWalked < capabilities) {
        Header header;
        if (!HeaderAt(table, pos, total, 3, header)) return nullptr;
        const std::uint8_t* p = table.data() + pos;
        if (header.type == kDescDeviceCapability) {
            const UsbBosRecord::Capability found{true, p[0], p[1], p[2]};
            switch (p[2]) {
                case 2:
                    if (header.length < 7) return nullptr;
                    bos->usb20Extension = {found, GetLe32(p + 3)};
                    break;
                case 3:
                    if (header.length < 10) return nullptr;
                    bos->superSpeed = {found, p[3], GetLe16(p + 4), p[6], p[7], GetLe16(p + 8)};
                    break;
                case 4: {
                    if (header.length < 20) return nullptr;
                    auto& id = bos->containerId;
                    id = {found, p[3], {}};
                    std::copy_n(p + 4, id.containerId.size(), id.containerId.begin());
                    break;
                }
                default:
                    break;
            }
        }
        pos += header.length;
        ++bos->capabilitiesWalked;
    }
    return bos;
}

bool IsDeviceDescriptor(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kDeviceDescriptorSize && bytes[0] >= kDeviceDescriptorSize &&
           bytes[1] == kDescDevice;
}

std::uint16_t ControlPacketSize(std::uint16_t bcdUSB, std::uint8_t bMaxPacketSize0) {
    if (bcdUSB < 0x0300) return bMaxPacketSize0;
    if (bMaxPacketSize0 >= 16) return 0;
    return static_cast<std::uint16_t>(1u << bMaxPacketSize0);
}

std::uint16_t ChooseLanguage(std::span<const std::uint8_t> descriptor0) {
    if (descriptor0.size() < 4 || descriptor0[1] != kDescString) return 0;
    const std::size_t length = std::min<std::size_t>(descriptor0[0], descriptor0.size());
    if (length < 4) return 0;
    const std::uint16_t first = GetLe16(descriptor0.data() + 2);
    for (std::size_t pos = 2; pos + 2 <= length; pos += 2) {
        if (GetLe16(descriptor0.data() + pos) == 0x0409) return 0x0409;
    }
    return first;
}

std::size_t CopyStringPayload(std::span<const std::uint8_t> descriptor,
                              std::span<std::uint8_t> out) {
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    if (descriptor.size() < 3 || descriptor[0] <= 2 || descriptor[1] != kDescString) return 0;
    const std::size_t payload =
        std::min({std::size_t{descriptor[0]} - 2, descriptor.size() - 2, out.size()});
    std::copy_n(descriptor.begin() + 2, payload, out.begin());
    return payload;
}

}  // namespace velmor::usb
