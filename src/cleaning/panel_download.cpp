#include "cleaning/panel_download.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <stop_token>
#include <utility>

#include "cleaning/panel_messages.h"
#include "cleaning/panel_packets.h"
#include "controller/main_operation.h"
#include "ui/dialog_service.h"
#include "ui/sleeper.h"

namespace velmor::cleaning {

std::string PanelHistoryResult(const PanelOutcome& outcome) {
    if (outcome.ok) return "delivered";
    const bool transferFailed = outcome.packets.empty() || !outcome.packets.back().written;
    return transferFailed ? "transfer failed" : "refused";
}

PanelDownload::PanelDownload(controller::CMainOperation& op, ui::Sleeper& sleeper)
    : op_(op), sleeper_(sleeper) {}

PanelOutcome PanelDownload::Success(std::string_view text) const {
    PanelOutcome outcome;
    outcome.ok = true;
    outcome.message = ui::SuccessText(text);
    outcome.caption = std::string(ui::kSuccessCaption);
    return outcome;
}

PanelOutcome PanelDownload::Failure(std::string_view text) const {
    PanelOutcome outcome;
    outcome.message = std::string(text);
    return outcome;
}

PacketReport PanelDownload::Exchange(const Frame& frame, int waitMs) {
    PacketReport report;
    report.frame = frame;
    Frame buffer = frame;
    try {
        report.written =
            op_.VendorWriteChecked(buffer.data(), static_cast<int>(buffer.size()), false);
    } catch (const std::exception&) {
        // No device object: the write did not happen.
        report.written = false;
    }
    if (!report.written) return report;
    sleeper_.SleepFor(std::chrono::milliseconds(waitMs), std::stop_token{});

    // An answer may carry fewer than 16 bytes (or none) and still be well formed;
    // the bytes it leaves out keep the complement of the frame's, so they can
    // neither echo the frame nor read as the display frame's status 0.
    for (std::size_t i = 0; i < report.reply.size(); ++i)
        report.reply[i] = static_cast<std::uint8_t>(~(i < frame.size() ? frame[i] : 0));
    report.answered =
        op_.VendorReadChecked(static_cast<int>(kReplyLength), kReplyCode, report.reply.data(),
                              kReplyValue, static_cast<int>(report.reply.size()));
    report.delivered = report.answered && frame.size() > kEchoLast &&
                       std::equal(frame.begin() + kEchoFirst, frame.begin() + kEchoLast + 1,
                                  report.reply.begin() + kEchoFirst);
    return report;
}

std::optional<PanelOutcome> PanelDownload::Refusal(const controller::CleanParams& params) const {
    const controller::Language language = op_.language;
    const PanelFrames built = BuildPanelFrames(params, op_.xResolution, language);
    if (!built.Ok()) return Failure(built.error);
    if (op_.connected.load() == 0) return Failure(kDisconnectedText.In(language));
    return std::nullopt;
}

PanelOutcome PanelDownload::Download(const controller::CleanParams& params) {
    if (std::optional<PanelOutcome> refused = Refusal(params)) return std::move(*refused);
    const controller::Language language = op_.language;
    const PanelFrames built = BuildPanelFrames(params, op_.xResolution, language);

    std::vector<PacketReport> reports;
    for (const Frame& frame : built.frames) {
        reports.push_back(Exchange(frame, kReplyWaitMs));
        if (!reports.back().delivered) {
            const std::uint8_t type = frame[kFrameTypeIndex];
            const bool motion = type == kStepperType || type == kDcType;
            PanelOutcome failed =
                Failure((motion ? kMotionPacketFailedText : kFirstPacketsFailedText).In(language));
            failed.packets = std::move(reports);
            return failed;
        }
    }
    PanelOutcome done = Success(kDownloadFinishText.In(language));
    done.packets = std::move(reports);
    return done;
}

bool PanelDownload::InitSkipRegisterSteps() {
    const std::uint8_t command = kInitSkipCommand;
    if (!op_.WriteRegs(kInitSkipCommandReg, &command, 1)) return false;
    std::uint8_t flags = 0;
    if (!op_.ReadRegs(kInitSkipFlagsReg, &flags, 1)) return false;
    flags = static_cast<std::uint8_t>(flags | kInitSkipFlagBit);
    return op_.WriteRegs(kInitSkipFlagsReg, &flags, 1);
}

PanelOutcome PanelDownload::InitSkip() {
    const controller::Language language = op_.language;
    if (!InitSkipRegisterSteps()) return Failure(kInitFailText.In(language));
    sleeper_.SleepFor(std::chrono::milliseconds(kRegisterWaitMs), std::stop_token{});
    if (!InitSkipRegisterSteps()) return Failure(kInitFailText.In(language));

    PacketReport report = Exchange(MakeDisplayFrame(kReadyText), kDisplayWaitMs);
    const bool ok = report.answered && report.reply[kReplyStatusIndex] == 0;
    PanelOutcome outcome =
        ok ? Success(kInitSuccessText.In(language)) : Failure(kInitFailText.In(language));
    outcome.packets.push_back(std::move(report));
    return outcome;
}

}  // namespace velmor::cleaning
