#pragma once
// Which USB devices are controllers: a list of vendor and product IDs, each
// optionally narrowed to one product string. The list is kept in one data file
// ("VVVV:PPPP [product string]" per line, # starts a comment); the package
// installs it, the udev rule is generated from it at build time, and the
// programs extend it with --match and VELMOR_USB_MATCH. Pure text handling: no
// files are read here.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmor::libusb {

struct DeviceId {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string product;  // empty: any product string

    bool operator==(const DeviceId&) const = default;
};

// The environment variable that extends the list: IDs separated by commas or
// spaces, e.g. "5a17:00f1,1234:abcd".
inline constexpr const char* kMatchEnvironment = "VELMOR_USB_MATCH";

// "VVVV:PPPP", each 1 to 4 hexadecimal digits, optionally followed by white space
// and a product string; none when the text is anything else.
std::optional<DeviceId> ParseDeviceId(std::string_view text);

// Every ID of an ID file. Blank lines and comments are skipped; the 1-based
// numbers of lines that are neither nor an ID go to `badLines`.
std::vector<DeviceId> ParseDeviceIdFile(std::string_view text,
                                        std::vector<std::size_t>* badLines = nullptr);

// IDs of a --match value or of VELMOR_USB_MATCH (no product strings). False
// when an item is not an ID; `ids` then keeps what came before it.
bool ParseMatchList(std::string_view text, std::vector<DeviceId>& ids);

// Whether a device with these IDs and product string is one of ours.
bool Matches(std::span<const DeviceId> ids, std::uint16_t vendorId, std::uint16_t productId,
             std::string_view product);
// Whether some ID of the list matches vendor and product ID alone (the
// product string is read only for devices that pass this).
bool MatchesIds(std::span<const DeviceId> ids, std::uint16_t vendorId, std::uint16_t productId);

// "5a17:00f1", and "5a17:00f1 (Product)" with a product string.
std::string FormatDeviceId(const DeviceId& id);
// All IDs, comma-separated.
std::string FormatDeviceIds(std::span<const DeviceId> ids);

}  // namespace velmor::libusb
