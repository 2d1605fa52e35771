#pragma once
// The port's rules for a request a backend finishes before IoControl returns, in
// one place for every backend (usb_driver.h states them): the byte count is
// reported and, when the request came with an overlapped, the overlapped is
// completed too, so the requester's wait ends at once.

#include <cstdint>
#include <optional>
#include <span>

#include "usb/overlapped.h"
#include "usb/usb_driver.h"

namespace velmor::usb {

// Reports `bytes` as a success; returns kSuccess for IoControl to return.
inline std::uint32_t CompleteAtOnce(std::uint32_t bytes, std::uint32_t& bytesReturned,
                                    Overlapped* overlapped) {
    bytesReturned = bytes;
    if (overlapped != nullptr) overlapped->Complete(bytes, error::kSuccess);
    return error::kSuccess;
}

// The endpoint a kAbortPipe request names: its first input byte. Nothing when the
// input is empty; the request then fails with kInvalidParameter.
inline std::optional<std::uint8_t> AbortedEndpoint(std::span<const std::uint8_t> input) {
    if (input.empty()) return std::nullopt;
    return input[0];
}

}  // namespace velmor::usb
