#include "drivers/libusb/device_ids.h"

#include <algorithm>

#include "numbers/hex_text.h"

namespace velmor::libusb {

namespace {

constexpr std::string_view kBlanks = " \t\r";

std::string_view Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

// A vendor or product ID: one to four hex digits, no "0x".
std::optional<std::uint16_t> ParseHex16(std::string_view text) {
    const std::optional<std::uint32_t> value =
        numbers::ParseHex(text, {.maxDigits = 4, .prefix = false});
    if (!value) return std::nullopt;
    return static_cast<std::uint16_t>(*value);
}

constexpr numbers::HexStyle kIdHex{.digits = 4, .upper = false};

}  // namespace

std::optional<DeviceId> ParseDeviceId(std::string_view text) {
    text = Trim(text);
    const std::size_t blank = text.find_first_of(kBlanks);
    const std::string_view ids = text.substr(0, blank);
    const std::size_t colon = ids.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const auto vendor = ParseHex16(ids.substr(0, colon));
    const auto product = ParseHex16(ids.substr(colon + 1));
    if (!vendor || !product) return std::nullopt;
    DeviceId id{*vendor, *product, {}};
    if (blank != std::string_view::npos) id.product = std::string(Trim(text.substr(blank)));
    return id;
}

std::vector<DeviceId> ParseDeviceIdFile(std::string_view text, std::vector<std::size_t>* badLines) {
    std::vector<DeviceId> ids;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        ++lineNumber;
        line = Trim(line.substr(0, line.find('#')));
        if (line.empty()) continue;
        if (auto id = ParseDeviceId(line)) {
            ids.push_back(std::move(*id));
        } else if (badLines != nullptr) {
            badLines->push_back(lineNumber);
        }
    }
    return ids;
}

bool ParseMatchList(std::string_view text, std::vector<DeviceId>& ids) {
    constexpr std::string_view kSeparators = ", \t";
    while (!text.empty()) {
        const std::size_t first = text.find_first_not_of(kSeparators);
        if (first == std::string_view::npos) break;
        text = text.substr(first);
        const std::size_t end = text.find_first_of(kSeparators);
        const auto id = ParseDeviceId(text.substr(0, end));
        if (!id) return false;
        ids.push_back(*id);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
    }
    return true;
}

bool MatchesIds(std::span<const DeviceId> ids, std::uint16_t vendorId, std::uint16_t productId) {
    return std::any_of(ids.begin(), ids.end(), [&](const DeviceId& id) {
        return id.vendorId == vendorId && id.productId == productId;
    });
}

bool Matches(std::span<const DeviceId> ids, std::uint16_t vendorId, std::uint16_t productId,
             std::string_view product) {
    return std::any_of(ids.begin(), ids.end(), [&](const DeviceId& id) {
        return id.vendorId == vendorId && id.productId == productId &&
               (id.product.empty() || id.product == product);
    });
}

std::string FormatDeviceId(const DeviceId& id) {
    const std::string text =
        numbers::Hex(id.vendorId, kIdHex) + ":" + numbers::Hex(id.productId, kIdHex);
    if (id.product.empty()) return text;
    return text + " (" + id.product + ")";
}

std::string FormatDeviceIds(std::span<const DeviceId> ids) {
    std::string text;
    for (const DeviceId& id : ids) {
        if (!text.empty()) text += ", ";
        text += FormatDeviceId(id);
    }
    return text;
}

}  // namespace velmor::libusb
