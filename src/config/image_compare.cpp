#include "config/image_compare.h"

#include "commands/operation_keywords.h"
#include "numbers/hex_text.h"

namespace velmor::config {

std::string RecordKeyword(std::uint8_t code) {
    if (code == 0) return {};
    for (const commands::OperationKeyword& k : commands::kOperationKeywords)
        if (k.code == code) return std::string(k.text);
    return numbers::Hex(code, {.digits = 2, .upper = true, .prefix = true});
}

ImageComparison CompareImages(const StartImage& expected,
                              const std::vector<controller::CMD_INFO>& expectedCommands,
                              const StartImage& found) {
    ImageComparison comparison;
    comparison.equal = expected == found;
    comparison.foundCrcOk = ComputeImageCrc(found) == StoredImageCrc(found);
    for (int slot = 0; slot < kImageMaxRecords; ++slot) {
        const std::size_t at = static_cast<std::size_t>(slot) * kImageRecordSize;
        if (std::equal(expected.begin() + at, expected.begin() + at + kImageRecordSize,
                       found.begin() + at))
            continue;
        RecordDifference d;
        d.slot = slot;
        d.keyword = RecordKeyword(expected[at]);
        if (static_cast<std::size_t>(slot) < expectedCommands.size())
            d.registerName = expectedCommands[static_cast<std::size_t>(slot)].RegName;
        d.address = static_cast<std::uint16_t>(expected[at + 1] << 8 | expected[at + 2]);
        d.expected = expected[at + 3];
        d.foundKeyword = RecordKeyword(found[at]);
        d.foundAddress = static_cast<std::uint16_t>(found[at + 1] << 8 | found[at + 2]);
        d.found = found[at + 3];
        comparison.records.push_back(std::move(d));
    }
    return comparison;
}

}  // namespace velmor::config
