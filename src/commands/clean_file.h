#pragma once
// The cleaning parameter file: sections "PARAMS_CLEAR", "PARAMS_MOMENT", "PARAMS_CLEAR2"
// and the checksum [AllCleanInfo] "CRC16" over up to 98 bytes taken from the values at
// fixed positions. Integers are written with "%d", reals with "%f".
//
// The DC block (bytes 56-67 and 71) counts only when "nDcStartLevel" is not -1, the
// marker of a file that does not hold the DC values; without it the bytes close up to 85.

#include <array>
#include <cstddef>
#include <cstdint>

#include "commands/checksum_buffer.h"
#include "controller/clean_params.h"
#include "ini/ini_file.h"

namespace velmor::commands {

class CleanFile {
  public:
    static constexpr std::size_t kChecksumBytes = 98;
    static constexpr std::size_t kChecksumBytesWithoutDc = 85;

    // Reads every key (missing ones give the defaults of CleanParams) and checks the
    // checksum: true when the stored value is 0 or equals the one computed.
    static bool Load(const ini::CIniFile& ini, controller::CleanParams& params,
                     ChecksumBuffer& sum);
    // Sets every key and the checksum in `ini` (which the caller starts empty and writes).
    static void Save(ini::CIniFile& ini, const controller::CleanParams& params,
                     ChecksumBuffer& sum);

    // The 98 bytes at their fixed positions.
    static std::array<std::uint8_t, kChecksumBytes> ChecksumBytes(
        const controller::CleanParams& params);
    // The bytes that count for `params`, in order (98, or 85 without the DC block).
    static void Gather(const controller::CleanParams& params, ChecksumBuffer& sum);

    // value truncated toward zero to 32 bits, as the x86 conversion does: values out of
    // range (and NaN) give 0x80000000.
    static std::int32_t TruncToInt32(double value);
};

}  // namespace velmor::commands
