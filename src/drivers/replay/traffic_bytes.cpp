#include "drivers/replay/traffic_bytes.h"

#include "numbers/hex_text.h"

namespace velmor::replay {

namespace {

constexpr numbers::HexStyle kByteHex{.digits = 2, .upper = false};
constexpr numbers::HexSyntax kByteSyntax{.maxDigits = 2, .prefix = false};

}  // namespace

nlohmann::json BytesJson(std::span<const std::uint8_t> bytes) {
    std::size_t used = bytes.size();
    while (used > 0 && bytes[used - 1] == 0) --used;
    return {{"hex", numbers::HexBytes(bytes.first(used), kByteHex)}, {"size", bytes.size()}};
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
        const std::optional<std::uint32_t> byte =
            numbers::ParseHex(std::string_view(text).substr(2 * i, 2), kByteSyntax);
        if (!byte) return std::nullopt;
        bytes[i] = static_cast<std::uint8_t>(*byte);
    }
    return bytes;
}

}  // namespace velmor::replay
