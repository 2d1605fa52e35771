// The simulator's state file, as read back at start-up: any bytes, or bytes made to
// pass the parts of the check a random file never would (the trailing hash, the header,
// the 64 KiB register block), so that the page records behind them are reached.
//
// Properties: a file is refused or decodes into a state that encodes and decodes back
// to itself, within the largest file size.

#include <cstdint>
#include <cstring>
#include <vector>

#include "common/fuzz_check.h"
#include "common/fuzz_input.h"
#include "drivers/sim/sim_state_file.h"
#include "usb/xfer_request.h"

namespace {

std::uint32_t Fnv1a(const std::uint8_t* bytes, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 16777619u;
    }
    return hash;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    using sim::SimStateFile;
    fuzz::FuzzInput in(data, size);
    const std::uint8_t mode = in.Byte();
    std::vector<std::uint8_t> file;
    if ((mode & 1) != 0) {
        // A header of the input's choosing (the magic kept unless asked), the registers
        // from the input's next bytes padded with zeros, then records as they come.
        file.assign({'V', 'E', 'L', 'M', 'S', 'I', 'M', '1'});
        if ((mode & 4) != 0) file = in.Bytes(8);
        const std::vector<std::uint8_t> header = in.Bytes(16);
        file.insert(file.end(), header.begin(), header.end());
        std::vector<std::uint8_t> registers = in.Bytes(in.U16());
        registers.resize(sim::SimRegisterFile::kSize);
        file.insert(file.end(), registers.begin(), registers.end());
        const std::vector<std::uint8_t> rest = in.Rest();
        file.insert(file.end(), rest.begin(), rest.end());
        file.resize(file.size() + 4);
    } else {
        file = in.Rest();
    }
    if ((mode & 2) != 0 && file.size() >= 4)
        usb::PutLe32(file.data() + file.size() - 4, Fnv1a(file.data(), file.size() - 4));

    const auto state = SimStateFile::Decode(file);
    if (!state) return 0;

    const std::vector<std::uint8_t> again = SimStateFile::Encode(*state);
    FUZZ_CHECK(again.size() <= SimStateFile::kMaxFileSize);
    const auto decoded = SimStateFile::Decode(again);
    FUZZ_CHECK(decoded && decoded->registers == state->registers &&
               decoded->flashPages == state->flashPages);
    return 0;
}
