#include "cli/ctl_compare_commands.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <tuple>
#include <vector>

#include "cli/ctl_documents.h"
#include "cli/ctl_exit_codes.h"
#include "cli/ctl_image_commands.h"
#include "cli/ctl_output.h"
#include "cli/ctl_prepared_document.h"
#include "cli/ctl_session.h"
#include "commands/cmds_mag.h"
#include "config/config_preparation.h"
#include "config/image_compare.h"
#include "config/image_download.h"
#include "controller/main_operation.h"
#include "files/utf8_path.h"
#include "numbers/hex_text.h"

namespace velmor::cli {

namespace {

using nlohmann::json;

constexpr numbers::HexStyle kAddressHex{.digits = 4, .upper = true, .prefix = true};
constexpr numbers::HexStyle kDataHex{.digits = 2, .upper = true, .prefix = true};

json RecordsJson(const config::ImageComparison& comparison) {
    json records = json::array();
    for (const config::RecordDifference& d : comparison.records) {
        json record = {{"slot", d.slot},
                       {"keyword", d.keyword},
                       {"address", d.address},
                       {"expected", d.expected},
                       {"found", d.found}};
        if (!d.registerName.empty()) record["register"] = d.registerName;
        if (d.foundKeyword != d.keyword) record["found_keyword"] = d.foundKeyword;
        if (d.foundAddress != d.address) record["found_address"] = d.foundAddress;
        records.push_back(std::move(record));
    }
    return records;
}

// "slot 3: RegWrite MB Ctrl1 0x4009 0x95 (DOC), 0x96 (flash)"
std::string RecordsText(const config::ImageComparison& comparison, const std::string& aName,
                        const std::string& bName) {
    std::string text;
    for (const config::RecordDifference& d : comparison.records) {
        const auto side = [&](const std::string& keyword, std::uint16_t address, std::uint8_t data,
                              const std::string& name) {
            return (keyword.empty() ? std::string("(empty)") : keyword) + " " +
                   numbers::Hex(address, kAddressHex) + " " + numbers::Hex(data, kDataHex) + " (" +
                   name + ")";
        };
        text += "slot " + std::to_string(d.slot) + ":" +
                (d.registerName.empty() ? std::string() : " " + d.registerName) + " " +
                side(d.keyword, d.address, d.expected, aName) + ", " +
                side(d.foundKeyword, d.foundAddress, d.found, bName) + "\n";
    }
    return text;
}

// One side of a comparison: a document with its image, or an image file.
struct Side {
    bool document = false;
    config::StartImage image{};
    std::vector<controller::CMD_INFO> imageCommands;  // the records' commands, for names
    // A document as it was read, before the download's preparation changed it.
    std::vector<controller::CMD_INFO> commands;
    std::vector<std::string> allNames;
    std::vector<std::string> order;
    controller::MotorSettings settings;
};

std::optional<config::StartImage> ImageFile(const std::string& path) {
    std::ifstream in(files::PathFromUtf8(path), std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() != config::kImageSize) return std::nullopt;
    config::StartImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return image;
}

// Reads `path` as a document when it holds a document's sections, else as an
// image file of 4096 bytes.
int LoadSide(CtlOutput& output, const std::string& path, Side& side) {
    if (const int code = CheckInputFile(output, path, "file"); code != kExitOk) return code;
    controller::CMainOperation probe;
    commands::CCmdsMag store(probe);
    store.LoadConfigDocument(path);
    if (!store.HeldKnownSections()) {
        const std::optional<config::StartImage> image = ImageFile(path);
        if (!image)
            return output.Fail(kExitDataErr,
                               path + " is neither a configuration document nor a start-up image");
        side.image = *image;
        return kExitOk;
    }
    controller::CMainOperation op;
    commands::CCmdsMag::PrinterKeys keys;
    if (const int code = LoadDocument(output, op, path, &keys); code != kExitOk) return code;
    side.document = true;
    side.commands = op.cmdList;
    side.allNames = op.allCmdNames;
    side.order = op.cmdNames;
    side.settings = op.motorSettings;
    const config::PreparedDownload prepared = config::PrepareLoadedDocument(op, keys);
    if (!prepared.build.Ok())
        return output.Fail(kExitDataErr, path + ": " +
                                             config::ImageBuildMessage(
                                                 prepared.build, controller::Language::kEnglish));
    side.image = prepared.build.image;
    side.imageCommands = prepared.build.commands;
    return kExitOk;
}

// The commands of each set, by set name, in the order the names first come.
std::vector<std::pair<std::string, std::vector<controller::CMD_INFO>>> Sets(const Side& side) {
    std::vector<std::pair<std::string, std::vector<controller::CMD_INFO>>> sets;
    for (const controller::CMD_INFO& command : side.commands) {
        auto it = std::find_if(sets.begin(), sets.end(),
                               [&](const auto& set) { return set.first == command.KeyName; });
        if (it == sets.end()) it = sets.insert(sets.end(), {command.KeyName, {}});
        it->second.push_back(command);
    }
    return sets;
}

bool SameCommand(const controller::CMD_INFO& a, const controller::CMD_INFO& b) {
    return std::tie(a.KeyName, a.RegName, a.OptType, a.Addr, a.Data) ==
           std::tie(b.KeyName, b.RegName, b.OptType, b.Addr, b.Data);
}

// What two documents differ in beyond their images, as JSON and text.
void DocumentDifferences(const Side& a, const Side& b, json& doc, std::string& text) {
    json settings = json::array();
    const auto aValues = commands::CCmdsMag::MotorStateValues(a.settings);
    const auto bValues = commands::CCmdsMag::MotorStateValues(b.settings);
    for (std::size_t i = 0; i < aValues.size() && i < bValues.size(); ++i) {
        if (aValues[i].second == bValues[i].second) continue;
        settings.push_back(
            {{"key", aValues[i].first}, {"a", aValues[i].second}, {"b", bValues[i].second}});
        text += "setting " + aValues[i].first + ": " + std::to_string(aValues[i].second) +
                " (A), " + std::to_string(bValues[i].second) + " (B)\n";
    }
    json names = json::array();
    for (const auto& [list, aList, bList] : {std::tuple{"AllCommandName", &a.allNames, &b.allNames},
                                             std::tuple{"CommandName", &a.order, &b.order}}) {
        if (*aList == *bList) continue;
        names.push_back({{"list", list}, {"a", *aList}, {"b", *bList}});
        text += std::string("name list ") + list + " differs\n";
    }
    json sets = json::array();
    const auto aSets = Sets(a);
    const auto bSets = Sets(b);
    std::vector<std::string> setNames;
    for (const auto* side : {&aSets, &bSets})
        for (const auto& set : *side)
            if (std::find(setNames.begin(), setNames.end(), set.first) == setNames.end())
                setNames.push_back(set.first);
    const auto commandsOf = [](const auto& sets, const std::string& name) {
        const auto it = std::find_if(sets.begin(), sets.end(),
                                     [&](const auto& set) { return set.first == name; });
        return it == sets.end() ? std::vector<controller::CMD_INFO>{} : it->second;
    };
    for (const std::string& name : setNames) {
        const std::vector<controller::CMD_INFO> aCommands = commandsOf(aSets, name);
        const std::vector<controller::CMD_INFO> bCommands = commandsOf(bSets, name);
        const auto differ = std::mismatch(aCommands.begin(), aCommands.end(), bCommands.begin(),
                                          bCommands.end(), SameCommand);
        if (differ.first == aCommands.end() && differ.second == bCommands.end()) continue;
        const auto first = static_cast<int>(differ.first - aCommands.begin());
        sets.push_back({{"name", name},
                        {"a", aCommands.size()},
                        {"b", bCommands.size()},
                        {"first_difference", first}});
        text += "command set " + name + ": " + std::to_string(aCommands.size()) +
                " commands (A), " + std::to_string(bCommands.size()) +
                " (B), first difference at " + std::to_string(first) + "\n";
    }
    doc["settings"] = settings;
    doc["names"] = names;
    doc["command_sets"] = sets;
    if (!settings.empty() || !names.empty() || !sets.empty()) doc["equal"] = false;
}

}  // namespace

int CtlCompareCommands::Verify(const std::string& document) {
    controller::CMainOperation* op = nullptr;
    PreparedDocument prepared;
    if (const int code = PrepareOnController(session_, output_, document, op, prepared);
        code != kExitOk)
        return code;
    const config::ReadBackResult flash = ReadStartImage(output_, *op, "verify");
    if (!flash.transferOk)
        return output_.Fail(kExitIoErr, "reading the start-up image from the controller failed");
    const config::ImageBuild& build = prepared.prepared.build;
    const config::ImageComparison comparison =
        config::CompareImages(build.image, build.commands, flash.bytes);
    const json doc = {{"equal", comparison.equal},
                      {"flash_crc_ok", comparison.foundCrcOk},
                      {"records", RecordsJson(comparison)}};
    std::string text = comparison.equal
                           ? "the flash holds the image of " + document + "\n"
                           : "the flash differs from the image of " + document + " in " +
                                 std::to_string(comparison.records.size()) + " record(s)\n" +
                                 RecordsText(comparison, "document", "flash");
    text += std::string("flash CRC: ") + (comparison.foundCrcOk ? "valid" : "invalid") + "\n";
    output_.Result(text, doc);
    return comparison.equal ? kExitOk : kExitFailed;
}

int CtlCompareCommands::Diff(const std::string& a, const std::string& b) {
    Side sides[2];
    if (const int code = LoadSide(output_, a, sides[0]); code != kExitOk) return code;
    if (const int code = LoadSide(output_, b, sides[1]); code != kExitOk) return code;
    // The names of the records come from the first side that is a document.
    const std::vector<controller::CMD_INFO>& names =
        sides[0].document ? sides[0].imageCommands : sides[1].imageCommands;
    const config::ImageComparison comparison =
        config::CompareImages(sides[0].image, names, sides[1].image);
    json doc = {{"a", sides[0].document ? "document" : "image"},
                {"b", sides[1].document ? "document" : "image"},
                {"equal", comparison.equal},
                {"records", RecordsJson(comparison)}};
    std::string text = RecordsText(comparison, "A", "B");
    if (sides[0].document && sides[1].document) DocumentDifferences(sides[0], sides[1], doc, text);
    const bool equal = doc["equal"].get<bool>();
    output_.Result(equal ? "A and B are the same configuration\n" : text, doc);
    return equal ? kExitOk : kExitFailed;
}

}  // namespace velmor::cli
