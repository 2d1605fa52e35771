#include "cli/ctl_history_commands.h"

#include <cctype>
#include <nlohmann/json.hpp>

#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "cli/ctl_session.h"
#include "history/history_log.h"
#include "numbers/hex_text.h"

namespace velmor::cli {

namespace {

// "YYYY-MM-DD", optionally followed by "THH:MM:SSZ".
bool IsTime(const std::string& text) {
    const std::string_view pattern = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != 10 && text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == 'd' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

std::string EntryText(const history::HistoryEntry& e) {
    std::string text = e.time + " " + e.program + " " + e.version + " device " +
                       std::to_string(e.device.index) + " (" + e.device.name + ", " + e.device.path;
    if (!e.device.serial.empty()) text += ", " + e.device.serial;
    text += ") " + e.operation;
    if (!e.document.empty()) text += " " + e.document;
    if (e.imageCrc)
        text +=
            " image CRC " + numbers::Hex(*e.imageCrc, {.digits = 4, .upper = true, .prefix = true});
    return text + ": " + e.result + ", " + std::to_string(e.rounds) + " round(s)\n";
}

}  // namespace

int CtlHistoryCommands::History(std::optional<int> device, const std::string& since) {
    if (!since.empty() && !IsTime(since))
        return output_.Fail(
            kExitUsage, "--since " + since + ": a day YYYY-MM-DD or a time YYYY-MM-DDTHH:MM:SSZ");
    const std::string& file = session_.Options().historyFile;
    if (file.empty())
        return output_.Fail(kExitNoInput,
                            "no history file: neither XDG_STATE_HOME nor HOME is set");
    std::vector<std::string> warnings;
    const std::vector<history::HistoryEntry> entries = history::HistoryLog(file).Read(warnings);
    for (const std::string& warning : warnings) output_.Note(warning);
    nlohmann::json list = nlohmann::json::array();
    std::string text;
    for (const history::HistoryEntry& entry : entries) {
        if (device && entry.device.index != *device) continue;
        if (!since.empty() && entry.time < since) continue;
        list.push_back(history::EntryJson(entry));
        text += EntryText(entry);
    }
    return output_.Result(text, {{"file", file}, {"entries", list}});
}

}  // namespace velmor::cli
