#include "drivers/sim/sim_state_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "files/text_file_writer.h"
#include "files/utf8_path.h"
#include "usb/xfer_request.h"

namespace velmor::sim {

namespace {

constexpr char kMagic[8] = {'V', 'E', 'L', 'M', 'S', 'I', 'M', '1'};

// Version 1 files end in the FNV-1a hash of their bytes.
std::uint32_t Fnv1a(std::span<const std::uint8_t> bytes) {
    std::uint32_t hash = 2166136261u;
    for (std::uint8_t b : bytes) {
        hash ^= b;
        hash *= 16777619u;
    }
    return hash;
}

std::uint64_t Le64(const std::uint8_t* p) {
    return usb::GetLe32(p) | (std::uint64_t{usb::GetLe32(p + 4)} << 32);
}

// Version 2 files end in the same kind of hash taken 8 bytes at a time in four
// independent lanes, which a processor runs side by side: a whole state file is
// hashed in a few microseconds instead of a tenth of a millisecond, once for each
// load and each save.
std::uint32_t LaneHash(std::span<const std::uint8_t> bytes) {
    constexpr std::uint64_t kBasis = 14695981039346656037ull;
    constexpr std::uint64_t kPrime = 1099511628211ull;
    std::uint64_t lanes[4] = {kBasis, kBasis + 1, kBasis + 2, kBasis + 3};
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    for (; left >= 32; p += 32, left -= 32) {
        for (int lane = 0; lane < 4; ++lane)
            lanes[lane] = (lanes[lane] ^ Le64(p + 8 * lane)) * kPrime;
    }
    std::uint64_t hash = kBasis;
    for (std::uint64_t lane : lanes) hash = (hash ^ lane) * kPrime;
    for (; left > 0; ++p, --left) hash = (hash ^ *p) * kPrime;
    return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

std::uint32_t HashOf(std::uint32_t version, std::span<const std::uint8_t> bytes) {
    return version == 1 ? Fnv1a(bytes) : LaneHash(bytes);
}

void AppendLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t b[4];
    usb::PutLe32(b, v);
    out.insert(out.end(), b, b + 4);
}

}  // namespace

std::vector<std::uint8_t> SimStateFile::Encode(const SimState& state) {
    return Encode(state.registers, state.flashPages);
}

std::vector<std::uint8_t> SimStateFile::Encode(
    std::span<const std::uint8_t, SimRegisterFile::kSize> registers,
    const std::map<std::uint32_t, SimFlash::Page>& flashPages) {
    // Starting from the magic (rather than inserting it into an empty vector) also keeps
    // GCC 12 from a false out-of-bounds warning.
    std::vector<std::uint8_t> out(std::begin(kMagic), std::end(kMagic));
    out.reserve(kHeaderSize + registers.size() + flashPages.size() * kPageRecordSize + 4);
    AppendLe32(out, kVersion);
    AppendLe32(out, static_cast<std::uint32_t>(registers.size()));
    AppendLe32(out, SimFlash::kPageSize);
    AppendLe32(out, static_cast<std::uint32_t>(flashPages.size()));
    out.insert(out.end(), registers.begin(), registers.end());
    for (const auto& [number, page] : flashPages) {
        AppendLe32(out, number);
        out.insert(out.end(), page.begin(), page.end());
    }
    AppendLe32(out, HashOf(kVersion, out));
    return out;
}

std::optional<SimStateView> SimStateFile::Check(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize + SimRegisterFile::kSize + 4) return std::nullopt;
    const std::uint8_t* p = bytes.data();
    if (std::memcmp(p, kMagic, sizeof kMagic) != 0) return std::nullopt;
    const std::uint32_t version = usb::GetLe32(p + 8);
    if (version != 1 && version != kVersion) return std::nullopt;
    if (usb::GetLe32(p + 12) != SimRegisterFile::kSize) return std::nullopt;
    if (usb::GetLe32(p + 16) != SimFlash::kPageSize) return std::nullopt;
    const std::uint32_t pages = usb::GetLe32(p + 20);
    if (pages > SimFlash::kPageCount) return std::nullopt;
    const std::size_t expected =
        kHeaderSize + SimRegisterFile::kSize + std::size_t{pages} * kPageRecordSize + 4;
    if (bytes.size() != expected) return std::nullopt;
    if (usb::GetLe32(p + expected - 4) != HashOf(version, bytes.first(expected - 4)))
        return std::nullopt;

    SimStateView view{bytes.subspan(kHeaderSize).first<SimRegisterFile::kSize>(), {}};
    view.flashPages.reserve(pages);
    std::vector<bool> seen(SimFlash::kPageCount);
    const std::uint8_t* record = p + kHeaderSize + SimRegisterFile::kSize;
    for (std::uint32_t i = 0; i < pages; ++i, record += kPageRecordSize) {
        const std::uint32_t number = usb::GetLe32(record);
        if (number >= SimFlash::kPageCount) return std::nullopt;
        if (seen[number]) return std::nullopt;  // a page twice: not a file we wrote
        seen[number] = true;
        view.flashPages.emplace_back(number, std::span<const std::uint8_t, SimFlash::kPageSize>(
                                                 record + 4, SimFlash::kPageSize));
    }
    return view;
}

std::optional<SimState> SimStateFile::Decode(std::span<const std::uint8_t> bytes) {
    const std::optional<SimStateView> view = Check(bytes);
    if (!view) return std::nullopt;
    SimState state;
    std::copy(view->registers.begin(), view->registers.end(), state.registers.begin());
    for (const auto& [number, page] : view->flashPages)
        std::copy(page.begin(), page.end(), state.flashPages[number].begin());
    return state;
}

std::vector<std::uint8_t> SimStateFile::ReadBytes(const std::string& path) {
    // Read here rather than through the file seam's ReadAll: a whole flash makes a state
    // file larger than the documents' limit it reads within.
    std::error_code ec;
    const auto size = std::filesystem::file_size(files::PathFromUtf8(path), ec);
    if (ec || size > kMaxFileSize) return {};
    std::ifstream in(files::PathFromUtf8(path), std::ios::binary);
    if (!in) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return {};
    return bytes;
}

std::optional<SimState> SimStateFile::Load(const std::string& path) {
    return Decode(ReadBytes(path));
}

bool SimStateFile::Save(const std::string& path, const SimState& state, files::FileOps& ops) {
    return Save(path, Encode(state), ops);
}

bool SimStateFile::Save(const std::string& path, std::span<const std::uint8_t> bytes,
                        files::FileOps& ops) {
    if (bytes.empty()) return false;  // nothing encoded: keep the file there is
    return files::TextFileWriter(ops).Replace(
        path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

}  // namespace velmor::sim
