#include "cli/ctl_clean_commands.h"

#include "cleaning/panel_download.h"
#include "cleaning/panel_packets.h"
#include "cli/ctl_documents.h"
#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "cli/ctl_session.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "numbers/hex_text.h"
#include "ui/sleeper.h"

namespace velmor::cli {

namespace {

// Frames and replies as hex: two lower-case digits a byte, no gaps.
constexpr numbers::HexStyle kFrameHex{.digits = 2, .upper = false};

// The panel's messages start with blanks for the message box; a line does not.
std::string Trimmed(const std::string& message) {
    const auto first = message.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : message.substr(first);
}

nlohmann::json PacketsJson(const std::vector<cleaning::PacketReport>& packets) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& packet : packets) {
        list.push_back({{"frame", numbers::HexBytes(packet.frame, kFrameHex)},
                        {"written", packet.written},
                        {"answered", packet.answered},
                        {"delivered", packet.delivered},
                        {"reply", numbers::HexBytes(packet.reply, kFrameHex)}});
    }
    return list;
}

std::string PacketsText(const std::vector<cleaning::PacketReport>& packets) {
    std::string text;
    for (std::size_t i = 0; i < packets.size(); ++i) {
        const auto& packet = packets[i];
        text += "packet " + std::to_string(i + 1) + " (type 0x" +
                numbers::Hex(packet.frame.size() > 5 ? packet.frame[5] : 0, kFrameHex) + "): " +
                (packet.delivered  ? "delivered"
                 : packet.answered ? "answered without the echo"
                 : packet.written  ? "no reply"
                                   : "not written") +
                '\n';
    }
    return text;
}

}  // namespace

// The cleaning file `file` into `op`: 66 when it cannot be read, 65 when it holds
// none of a cleaning file's sections (its defaults would be sent as if chosen).
int CtlCleanCommands::LoadCleaningFile(controller::CMainOperation& op, const std::string& file) {
    if (const int code = CheckInputFile(output_, file, "cleaning file"); code != kExitOk)
        return code;
    commands::CCmdsMag store(op);
    store.LoadCleanParams(file);
    if (store.DocumentTooLarge() || !store.HeldKnownSections())
        return output_.Fail(kExitDataErr, file + " is not a cleaning file");
    return kExitOk;
}

int CtlCleanCommands::Frames(const std::string& file) {
    controller::CMainOperation op;
    if (const int code = LoadCleaningFile(op, file); code != kExitOk) return code;
    const cleaning::PanelFrames frames =
        cleaning::BuildPanelFrames(op.cleanParams, op.xResolution, controller::Language::kEnglish);
    if (!frames.Ok()) return output_.Fail(kExitDataErr, frames.error);
    std::string text;
    nlohmann::json list = nlohmann::json::array();
    for (const auto& frame : frames.frames) {
        text += numbers::HexBytes(frame, kFrameHex) + '\n';
        list.push_back(numbers::HexBytes(frame, kFrameHex));
    }
    return output_.Result(text, {{"frames", list}});
}

int CtlCleanCommands::Download(const std::string& file) {
    // Read and checked before the controller is reached.
    controller::CMainOperation loaded;
    if (const int code = LoadCleaningFile(loaded, file); code != kExitOk) return code;
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;
    op->cleanParams = loaded.cleanParams;
    // The frames are checked first: a file that does not validate is bad data,
    // whatever the panel would say.
    if (const auto frames = cleaning::BuildPanelFrames(op->cleanParams, op->xResolution,
                                                       controller::Language::kEnglish);
        !frames.Ok())
        return output_.Fail(kExitDataErr, frames.error);
    op->language = controller::Language::kEnglish;
    cleaning::PanelDownload download(*op, ui::DefaultSleeper());
    const cleaning::PanelOutcome outcome = download.Download(op->cleanParams);
    session_.RecordWrite({"panel download", file, history::FileCrc(file), std::nullopt,
                          cleaning::PanelHistoryResult(outcome), 1});
    const nlohmann::json doc = {{"ok", outcome.ok},
                                {"message", Trimmed(outcome.message)},
                                {"packets", PacketsJson(outcome.packets)}};
    output_.Result(PacketsText(outcome.packets) + Trimmed(outcome.message) + '\n', doc);
    if (outcome.ok) return kExitOk;
    // A frame the controller did not take is a failed transfer; a panel that did
    // not echo one refused it.
    const bool transferFailed = !outcome.packets.empty() && !outcome.packets.back().written;
    return transferFailed ? kExitIoErr : kExitFailed;
}

int CtlCleanCommands::InitSkip() {
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;
    op->language = controller::Language::kEnglish;
    cleaning::PanelDownload download(*op, ui::DefaultSleeper());
    const cleaning::PanelOutcome outcome = download.InitSkip();
    session_.RecordWrite(
        {"init skip", {}, std::nullopt, std::nullopt, cleaning::PanelHistoryResult(outcome), 1});
    output_.Result(Trimmed(outcome.message) + '\n', {{"ok", outcome.ok},
                                                     {"message", Trimmed(outcome.message)},
                                                     {"packets", PacketsJson(outcome.packets)}});
    return outcome.ok ? kExitOk : kExitFailed;
}

}  // namespace velmor::cli
