#pragma once
// Bytes as a recording keeps them: lower-case hex of the bytes up to the last
// non-zero one, and the full size. Request blocks and buffers are mostly zeros
// past their data (a 1,025-byte read of four answer words), so a recording stays
// small without losing a byte.

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velmor::replay {

// {"hex": "...", "size": N}
nlohmann::json BytesJson(std::span<const std::uint8_t> bytes);
// The bytes of a BytesJson object; nothing when it is not one (not an object, bad
// hex, more hex than its size, a size beyond the limit).
std::optional<std::vector<std::uint8_t>> BytesFromJson(const nlohmann::json& value);

// The largest buffer a recording may describe: a flash transfer's 4,096 bytes with
// its request block fit many times over; anything larger is a damaged file.
inline constexpr std::size_t kMaxRecordedBytes = 1 << 20;

}  // namespace velmor::replay
