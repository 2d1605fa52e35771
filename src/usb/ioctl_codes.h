#pragma once
// I/O control codes of the vendor driver interface.

#include <cstdint>

namespace velmor::usb::ioctl {

inline constexpr std::uint32_t kGetDriverVersion = 0x220000;      // out: 4 bytes
inline constexpr std::uint32_t kGetUsbdiVersion = 0x220004;       // out: 4 bytes
inline constexpr std::uint32_t kGetAltInterface = 0x220008;       // out: 1 byte
inline constexpr std::uint32_t kGetAddress = 0x220010;            // out: 1 byte
inline constexpr std::uint32_t kSendControlTransfer = 0x220020;   // request block in/out
inline constexpr std::uint32_t kSendBufferedTransfer = 0x220024;  // request block in/out
inline constexpr std::uint32_t kGetDeviceName = 0x22003C;         // out: 256 bytes
inline constexpr std::uint32_t kGetSecondName = 0x220040;         // out: 256 bytes
inline constexpr std::uint32_t kAbortPipe = 0x220044;             // in: endpoint address
inline constexpr std::uint32_t kDirectTransfer = 0x22004B;        // in: 38-byte block, out: data
inline constexpr std::uint32_t kGetDeviceSpeed = 0x22004C;        // out: 4 bytes (2 high, 4 super)

inline constexpr std::uint32_t kSpeedHigh = 2;
inline constexpr std::uint32_t kSpeedSuper = 4;

}  // namespace velmor::usb::ioctl
