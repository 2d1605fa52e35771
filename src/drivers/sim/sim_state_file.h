#pragma once
// The file in which a simulated controller keeps its registers and flash between
// runs, so that separate runs of a tool see each other's writes.
//
// Layout (little-endian):
//   0  8   magic "VELMSIM1"
//   8  4   format version (2; files of version 1 are still read)
//   12 4   register bytes (65536)
//   16 4   flash page size (4096)
//   20 4   flash page count P (at most the pages of the flash)
//   24 65536 registers
//   then P records: 4-byte page number, 4096 bytes of the page
//   last 4: a hash of everything before it: version 2 an FNV-1a of 8-byte
//           words in four lanes, version 1 the bytewise 32-bit FNV-1a
// A file that is short, long, of another version or fails its hash is refused as
// a whole; the caller then starts from defaults.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "drivers/sim/sim_flash.h"
#include "drivers/sim/sim_register_file.h"
#include "files/file_ops.h"

namespace velmor::sim {

struct SimState {
    std::array<std::uint8_t, SimRegisterFile::kSize> registers{};
    std::map<std::uint32_t, SimFlash::Page> flashPages;
};

// A state file's contents, checked, in place: the registers and pages point into
// the file's bytes, so a controller takes them without copying them first.
struct SimStateView {
    std::span<const std::uint8_t, SimRegisterFile::kSize> registers;
    std::vector<std::pair<std::uint32_t, std::span<const std::uint8_t, SimFlash::kPageSize>>>
        flashPages;
};

class SimStateFile {
  public:
    static std::vector<std::uint8_t> Encode(const SimState& state);
    static std::vector<std::uint8_t> Encode(
        std::span<const std::uint8_t, SimRegisterFile::kSize> registers,
        const std::map<std::uint32_t, SimFlash::Page>& flashPages);
    static std::optional<SimState> Decode(std::span<const std::uint8_t> bytes);
    // Empty when the bytes are refused; valid as long as the bytes are.
    static std::optional<SimStateView> Check(std::span<const std::uint8_t> bytes);

    // Empty when the file is missing, unreadable or refused.
    static std::optional<SimState> Load(const std::string& path);
    // The file's bytes, unchecked; empty when it is missing, unreadable or too large.
    static std::vector<std::uint8_t> ReadBytes(const std::string& path);
    // Writes a temporary file beside `path`, flushes it to the device and renames
    // it over `path`, so a reader (or the next run after a power cut) sees the old
    // state or the new one, never a half-written file. On failure the old file
    // stays as it was and no temporary file is left.
    static bool Save(const std::string& path, const SimState& state,
                     files::FileOps& ops = files::DefaultFileOps());
    // The same for bytes already encoded.
    static bool Save(const std::string& path, std::span<const std::uint8_t> bytes,
                     files::FileOps& ops = files::DefaultFileOps());

    static constexpr std::uint32_t kVersion = 2;  // the version written
    static constexpr std::size_t kHeaderSize = 24;
    static constexpr std::size_t kPageRecordSize = 4 + SimFlash::kPageSize;
    static constexpr std::size_t kMaxFileSize =
        kHeaderSize + SimRegisterFile::kSize + SimFlash::kPageCount * kPageRecordSize + 4;
};

}  // namespace velmor::sim
