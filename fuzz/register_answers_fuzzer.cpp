// The register protocol against a device whose every answer comes from the fuzz bytes:
// read answers of any length, tag and address, transfers refused or stalled, byte
// counts that overstate what arrived.
//
// Properties: a read that reports success returns, for every register, a value some
// answer carried in a well-formed word for that very address; nothing is written past
// the registers asked for.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "common/fuzz_check.h"
#include "common/fuzz_controller.h"
#include "common/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    fuzz::FuzzInput in(data, size);
    fuzz::FuzzController rig;
    constexpr std::size_t kCanary = 16;

    for (int step = 0; step < 8 && !in.Empty(); ++step) {
        const std::uint8_t op = in.Byte();
        const std::uint16_t start = in.U16();
        const int count = 1 + in.U16() % 700;
        rig.ScriptTransfers(in, 1 + in.Byte() % 12);
        std::vector<std::uint8_t> out(static_cast<std::size_t>(count) + kCanary, 0xA5);
        switch (op % 4) {
            case 0:
            case 1: {
                const bool ok = op % 4 == 0 ? rig.op.ReadRegs(start, out.data(), count)
                                            : rig.op.ReadRegsRetry(start, out.data(), count);
                FUZZ_CHECK(std::all_of(out.begin() + count, out.end(),
                                       [](std::uint8_t b) { return b == 0xA5; }));
                if (!ok) break;
                const auto words = rig.AnsweredWords();
                for (int i = 0; i < count; ++i) {
                    const auto address = static_cast<std::uint16_t>(start + i);
                    FUZZ_CHECK(words.count({address, out[static_cast<std::size_t>(i)]}) == 1);
                }
                break;
            }
            case 2: {
                const std::vector<std::uint8_t> values = in.Bytes(static_cast<std::size_t>(count));
                if (!values.empty())
                    rig.op.WriteRegs(start, values.data(), static_cast<int>(values.size()));
                break;
            }
            default:
                rig.op.WriteReg32(start, in.U32());
                break;
        }
    }
    return 0;
}
