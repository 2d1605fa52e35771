#include "drivers/replay/traffic_bytes.h"

namespace velmor::replay {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

nlohmann::json BytesJson(std::span<const std::uint8_t> bytes) {
    std::size_t used = bytes.size();
    while (used > 0 && bytes[used - 1] == 0) --used;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(used * 2);
    for (std::size_t i = 0; i < used; ++i) {
        hex += kDigits[bytes[i] >> 4];
        hex += kDigits[bytes[i] & 0x0F];
    }
    return {{"hex", hex}, {"size", bytes.size()}};
}

std::optional<std::vector<std::uint8_t>> BytesFromJson(const nlohmann::json& value) {
    if (!value.is_object()) return std::nullopt;
    const auto hex = value.find("hex");
    const auto size = value.find("size");
    if (hex == value.end() || size == value.end() || !hex->is_string() ||
        !size->is_number_unsigned())
        return std::nullopt;
    const std::string& text = hex->get_ref<const std::string&>();
    const std::uint64_t count = size->get<std::uint64_t>();
    if (count > kMaxRecordedBytes || text.size() % 2 != 0 || text.size() / 2 > count)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count), 0);
    for (std::size_t i = 0; i < text.size() / 2; ++i) {
        const int high = HexValue(text[2 * i]);
        const int low = HexValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return bytes;
}

}  // namespace velmor::replay
