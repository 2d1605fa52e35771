#pragma once
// What a recording holds, shared by the recording and the replay drivers. One JSON
// object a line; every line but the first carries "t" (milliseconds since the
// recording started) and "thread" (a small number per thread, in order of first
// appearance):
//
//   {"recording": 1, "program": "velmorctl", "version": "1.2.0", "backend": "sim",
//    "ids": ["04b4:00f1"]}                                       the first line
//   {"op": "enumerate", "guid": {bytes}, "paths": [...]}
//   {"op": "open", "path": "...", "handle": H, "error": E}
//   {"op": "close", "handle": H, "result": R}
//   {"op": "ioctl", "id": N, "handle": H, "code": C, "request": {bytes},
//    "data": {bytes}?, "overlapped": B, "result": R,
//    "bytes": N?, "block": {bytes}?, "out": {bytes}?}         issued, and its answer
//   {"op": "complete", "id": N, "ok": B, "bytes": N, "error": E,
//    "block": {bytes}?, "out": {bytes}?}                       a pending request's end
//
// {bytes} is traffic_bytes.h's form. "request" is the input buffer as sent; "data"
// the caller's data of a direct transfer out. "block" is the request block as the
// driver wrote it back (the transfer codes), "out" the output bytes it returned
// (other codes, and the data of a direct transfer in). A synchronous request has
// its answer in its "ioctl" line; an overlapped one that completed at once or later
// has it in its "complete" line.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace velmor::replay {

inline constexpr int kRecordingFormat = 1;

struct RecordingHeader {
    std::string program;
    std::string version;
    std::string backend;           // "sim", "libusb", "win"
    std::vector<std::string> ids;  // controller IDs the backend looks for
};

// Transfers whose request block the driver writes back into.
bool WritesBackBlock(std::uint32_t code);
// A direct transfer towards the device: its data goes out in the output buffer.
bool DirectTransferOut(std::uint32_t code, std::span<const std::uint8_t> request);
// A transfer from the device (bulk or isochronous in): its request says nothing of
// what it asks for; the command sent before it on the device does.
bool TransferIn(std::uint32_t code, std::span<const std::uint8_t> request);
// A transfer towards the device (bulk or isochronous out).
bool TransferOut(std::uint32_t code, std::span<const std::uint8_t> request);
// The bytes that identify a request: the request buffer, the data of a direct
// transfer out, and for a transfer in the key of the last transfer out to the same
// device (`lastOut`): register exchanges hold the device for a command and its
// answer, so the answer a read gets follows from the command before it.
std::vector<std::uint8_t> RequestKey(std::uint32_t code, std::span<const std::uint8_t> request,
                                     std::span<const std::uint8_t> data,
                                     std::span<const std::uint8_t> lastOut);
// "bulk out 0x02, 32 bytes", "control, 8 bytes", "I/O control 0x22003c".
std::string DescribeRequest(std::uint32_t code, std::span<const std::uint8_t> request,
                            std::size_t dataBytes);

}  // namespace velmor::replay
