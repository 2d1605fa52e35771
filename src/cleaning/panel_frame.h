#pragma once
// The frames the control panel takes through vendor request 0xEC:
//   "W" "L" total-length 0x20 type 0x00 payload check
// where the total length counts every byte (payload + 7) and the check byte is
// the 8-bit sum of all bytes before it, the same sum VendorWriteChecked writes
// into the last byte of what it sends.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace velmor::cleaning {

using Frame = std::vector<std::uint8_t>;

inline constexpr std::uint8_t kFrameW = 0x57;
inline constexpr std::uint8_t kFrameL = 0x4C;
inline constexpr std::uint8_t kFrameMark = 0x20;
inline constexpr std::size_t kFrameOverhead = 7;
inline constexpr std::size_t kFrameTypeIndex = 4;

// Frame types and their payload sizes.
inline constexpr std::uint8_t kGeneralType = 0x55;  // positions
inline constexpr std::uint8_t kTimesType = 0x5A;    // cleaning times
inline constexpr std::uint8_t kStepperType = 0xA5;  // motion, stepper carriage
inline constexpr std::uint8_t kDcType = 0x4B;       // motion, DC carriage
inline constexpr std::uint8_t kDisplayType = 0x80;  // text on the panel's display
inline constexpr std::size_t kGeneralPayload = 48;
inline constexpr std::size_t kTimesPayload = 21;
inline constexpr std::size_t kMotionPayload = 50;

// The panel answers every frame with 16 bytes; bytes 6..14 echo the frame's and
// byte 4 is 0 when the panel took the display frame.
inline constexpr std::size_t kReplyLength = 16;
inline constexpr std::size_t kEchoFirst = 6;
inline constexpr std::size_t kEchoLast = 14;
inline constexpr std::size_t kReplyStatusIndex = 4;
inline constexpr std::uint8_t kReplyCode = 0xED;
inline constexpr std::uint16_t kReplyValue = 30;

// The frame of `payload` with its check byte filled in. A payload too long for
// the one-byte length (more than 248 bytes) gives an empty frame.
Frame MakeFrame(std::uint8_t type, std::span<const std::uint8_t> payload);

// Writes the check byte into the last byte of `frame` (nothing for an empty one).
void FillCheckByte(std::span<std::uint8_t> frame);

// The display frame: payload 0x00 0x00 0x10 and 16 text bytes, `text` cut or
// padded with blanks to 16.
Frame MakeDisplayFrame(std::string_view text);

// The display text of the initialisation skip: 5 blanks, "Ready", 6 blanks.
inline constexpr std::string_view kReadyText = "     Ready      ";

}  // namespace velmor::cleaning
