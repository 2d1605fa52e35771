#pragma once
// velmorctl's exit codes, in the sysexits style device tools use, so scripts and
// production lines can tell a refused operation from a missing device or a bad file.

namespace velmor::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed =
    1;  // ran, but did not succeed (a verify mismatch, a refused reply)
inline constexpr int kExitUsage = 64;    // the command line is wrong
inline constexpr int kExitDataErr = 65;  // bad input data: a malformed file, a value out of range
inline constexpr int kExitNoInput = 66;  // an input file is missing or unreadable
inline constexpr int kExitUnavailable = 69;  // no device, or no backend for real devices
inline constexpr int kExitCantCreate = 73;   // an output file cannot be created
inline constexpr int kExitIoErr = 74;        // a transfer failed

}  // namespace velmor::cli
