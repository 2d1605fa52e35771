#include "config/start_image.h"

#include <algorithm>

#include "commands/operation_keywords.h"
#include "config/config_texts.h"
#include "controller/crc16.h"
#include "numbers/hex_text.h"

namespace velmor::config {

namespace {

using controller::CMD_INFO;

constexpr std::uint8_t kEndCode = 0x31;
constexpr std::string_view kEndGroup = "InitEnd";
constexpr std::string_view kEndRegName = "end[7:0]";
constexpr std::uint8_t kErased = 0xFF;
constexpr int kRefreshDumpBytes = 128;
constexpr int kRegisterDumpWidth = 4;

std::string_view KeywordOf(std::uint8_t code) {
    for (const auto& keyword : commands::kOperationKeywords) {
        if (keyword.code == code) return keyword.text;
    }
    return {};
}

}  // namespace

ImageBuild BuildStartImage(const std::vector<CMD_INFO>& cmdList,
                           const std::vector<std::string>& cmdNames) {
    ImageBuild build;
    // Count and check first, so a refused image writes nothing anywhere.
    int needed = 0;
    for (const std::string& group : cmdNames) {
        for (const CMD_INFO& command : cmdList) {
            if (command.KeyName != group) continue;
            if (!commands::OperationCode(command.OptType)) {
                build.error = ImageBuildError::UnknownKeyword;
                build.badCommand = command;
                return build;
            }
            ++needed;
        }
    }
    if (needed > kImageMaxRecords) {
        build.error = ImageBuildError::TooManyRecords;
        build.records = needed;
        return build;
    }

    std::size_t at = 0;
    for (const std::string& group : cmdNames) {
        for (const CMD_INFO& command : cmdList) {
            if (command.KeyName != group) continue;
            build.image[at++] = *commands::OperationCode(command.OptType);
            build.image[at++] = static_cast<std::uint8_t>(command.Addr >> 8);
            build.image[at++] = static_cast<std::uint8_t>(command.Addr & 0xFF);
            build.image[at++] = command.Data;
            build.commands.push_back(command);
        }
    }
    build.records = needed;
    build.crc = ComputeImageCrc(build.image);
    build.image[kImageCrcOffset] = static_cast<std::uint8_t>(build.crc >> 8);
    build.image[kImageCrcOffset + 1] = static_cast<std::uint8_t>(build.crc & 0xFF);
    return build;
}

std::string ImageBuildMessage(const ImageBuild& build, controller::Language language) {
    const bool english = controller::English(language);
    switch (build.error) {
        case ImageBuildError::None:
            return {};
        case ImageBuildError::TooManyRecords: {
            const std::string count = std::to_string(build.records);
            const std::string limit = std::to_string(kImageMaxRecords);
            return english ? "The command list needs " + count +
                                 " records, but the start-up image holds at most " + limit +
                                 ". Nothing was written to the controller."
                           : "命令列表需要 " + count + " 条记录，但启动镜像最多只能容纳 " + limit +
                                 " 条。未向控制器写入任何数据。";
        }
        case ImageBuildError::UnknownKeyword: {
            const CMD_INFO& c = build.badCommand;
            return english ? "Download refused: command \"" + c.RegName + "\" of the set \"" +
                                 c.KeyName + "\" has the operation \"" + c.OptType +
                                 "\", which has no code in the start-up image."
                           : "拒绝下载：命令集\"" + c.KeyName + "\"中的命令\"" + c.RegName +
                                 "\"的操作\"" + c.OptType + "\"在启动镜像中没有对应的代码。";
        }
    }
    return {};
}

std::uint16_t ComputeImageCrc(std::span<const std::uint8_t> block) {
    return controller::ComputeCrc16(block.data(), kImageCrcOffset);
}

std::uint16_t StoredImageCrc(std::span<const std::uint8_t> block) {
    return static_cast<std::uint16_t>((block[kImageCrcOffset] << 8) | block[kImageCrcOffset + 1]);
}

ImageReadBack ParseStartImage(std::span<const std::uint8_t> block) {
    ImageReadBack result;
    if (block.size() < kImageSize) return result;  // Truncated
    block = block.first(kImageSize);
    result.storedCrc = StoredImageCrc(block);
    result.computedCrc = ComputeImageCrc(block);
    if (std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == kErased; })) {
        result.state = ImageState::Blank;
    } else if (result.storedCrc == 0 || result.storedCrc == result.computedCrc) {
        result.state = ImageState::Valid;
    } else {
        result.state = ImageState::BadCrc;
    }

    std::string_view keyword;
    bool ended = false;
    result.commands.reserve(kImageSlots);
    for (int slot = 0; slot < kImageSlots; ++slot) {
        const std::uint8_t* record =
            block.data() + static_cast<std::size_t>(slot) * kImageRecordSize;
        if (const std::string_view known = KeywordOf(record[0]); !known.empty()) keyword = known;
        if (record[0] == kEndCode) ended = true;
        CMD_INFO command;
        if (ended) {
            command.KeyName = kEndGroup;
            command.RegName = kEndRegName;
        }
        command.OptType = keyword;
        command.Addr = static_cast<std::uint16_t>((record[1] << 8) | record[2]);
        command.Data = record[3];
        result.commands.push_back(std::move(command));
    }
    return result;
}

std::string ImageStateMessage(ImageState state, controller::Language language) {
    switch (state) {
        case ImageState::Valid:
            return {};
        case ImageState::Blank:
            return kBlankImageDetail.Text(language);
        case ImageState::BadCrc:
            return kBadImageDetail.Text(language);
        case ImageState::Truncated:
            return kTruncatedImageDetail.Text(language);
    }
    return {};
}

void AppendImageDump(std::string& log, const StartImage& image, int records) {
    const int count = std::clamp(records, 0, kImageMaxRecords) * static_cast<int>(kImageRecordSize);
    numbers::AppendHexDumpText(image.data(), count, kImageFlashAddress, kImageDumpWidth, log);
    log += "\r\n";
}

void AppendRefreshDump(std::string& log) {
    const std::array<std::uint8_t, kRefreshDumpBytes> zeros{};
    numbers::AppendHexDumpText(zeros.data(), kRefreshDumpBytes, 0, kRegisterDumpWidth, log);
}

}  // namespace velmor::config
