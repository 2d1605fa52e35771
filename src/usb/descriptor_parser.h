#pragma once
// Parsing of the descriptor tables a device returns. Every table is untrusted:
// the parsers read only inside the bytes actually received and refuse a table
// (null / false) rather than guess.
//
// A configuration table is refused when
//   - fewer than 9 bytes arrived, its bLength is below 9 or its type is not 2;
//   - wTotalLength is below 9 or above the bytes that arrived;
//   - any descriptor inside it has a bLength below 2, or runs past wTotalLength;
//   - an interface descriptor is shorter than 9, an endpoint descriptor shorter
//     than 7 or a SuperSpeed companion shorter than 6 bytes.
// A BOS table is refused when fewer than 5 bytes arrived, bLength is below 5, the
// type is not 15, wTotalLength is below 5 or above what arrived, a capability has
// a bLength below 3 or runs past wTotalLength, or a known capability (types 2, 3,
// 4) is shorter than its fields.

#include <cstdint>
#include <memory>
#include <span>

#include "usb/usb_descriptors.h"
#include "usb/usb_driver.h"

namespace velmor::usb {

// Parses one full configuration table into a record whose endpoints talk to
// `handle` through `driver`. With `companions`, a SuperSpeed companion descriptor
// following an endpoint descriptor belongs to it. Null when the table is refused.
std::unique_ptr<UsbConfigRecord> ParseConfiguration(std::span<const std::uint8_t> table,
                                                    bool companions, UsbDriver& driver,
                                                    DriverHandle handle);

// Parses a full BOS table. Null when the table is refused.
std::unique_ptr<UsbBosRecord> ParseBos(std::span<const std::uint8_t> table);

// True when `bytes` hold a whole device descriptor (18 bytes, bLength >= 18, type 1).
bool IsDeviceDescriptor(std::span<const std::uint8_t> bytes);

// The control endpoint's packet size: bMaxPacketSize0 below USB 3.0, 2^bMaxPacketSize0
// from 3.0 on (0 when the exponent does not fit 16 bits).
std::uint16_t ControlPacketSize(std::uint16_t bcdUSB, std::uint8_t bMaxPacketSize0);

// The language of string descriptors from string descriptor 0: 0x0409 when listed,
// else the first listed; 0 when the list is empty or malformed.
std::uint16_t ChooseLanguage(std::span<const std::uint8_t> descriptor0);

// Copies the payload of a string descriptor into `out` (zeroed first) when its
// bLength exceeds 2 and its type is 3; never more than arrived or than `out` holds.
// Returns the bytes copied.
std::size_t CopyStringPayload(std::span<const std::uint8_t> descriptor,
                              std::span<std::uint8_t> out);

}  // namespace velmor::usb
