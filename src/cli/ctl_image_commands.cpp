#include "cli/ctl_image_commands.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "cli/ctl_documents.h"
#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "cli/ctl_prepared_document.h"
#include "cli/ctl_session.h"
#include "commands/cmds_mag.h"
#include "config/image_download.h"
#include "config/start_image.h"
#include "controller/main_operation.h"
#include "files/text_file_writer.h"
#include "files/utf8_path.h"
#include "motion/motion_reader.h"
#include "numbers/hex_text.h"
#include "registers/board_reset.h"
#include "registers/flash_reg.h"

namespace velmor::cli {

namespace {

using config::ImageReadBack;
using config::ImageState;

constexpr auto kProgressPoll = std::chrono::milliseconds(20);

// The hex numbers of the image texts: CRCs, motor bit sets, flash offsets.
constexpr numbers::HexStyle kCrcHex{.digits = 4, .prefix = true};
constexpr numbers::HexStyle kMotorsHex{.digits = 2, .prefix = true};
constexpr numbers::HexStyle kOffsetHex{.digits = 3, .prefix = true};

const char* StateName(ImageState state) {
    switch (state) {
        case ImageState::Valid:
            return "valid";
        case ImageState::Blank:
            return "blank";
        case ImageState::BadCrc:
            return "bad_crc";
        case ImageState::Truncated:
            break;
    }
    return "truncated";
}

const char* OutcomeName(config::DownloadOutcome outcome) {
    switch (outcome) {
        case config::DownloadOutcome::Verified:
            return "verified";
        case config::DownloadOutcome::VerifyFailed:
            return "verify_failed";
        case config::DownloadOutcome::FlashBusy:
            return "flash_busy";
        case config::DownloadOutcome::TransferFailed:
            break;
    }
    return "transfer_failed";
}

// One line: "Download failed: The flash still differs ...".
std::string OneLine(std::string text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at))
        text.replace(at, 1, ": ");
    return text;
}

// Through the atomic writer, as every file the program writes: a write that fails
// or is cut short leaves the file that was there whole.
bool WriteImageFile(files::FileOps& ops, const std::string& path, const config::StartImage& image) {
    return files::TextFileWriter(ops).Replace(
        path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}

nlohmann::json StepJson(const controller::MotorListInfo& step) {
    return {{"nMotorNums", step.nMotorNums},           {"motorIndex", step.motorIndex},
            {"strLedIndx", step.strLedIndx},           {"MotonTabLen", step.MotonTabLen},
            {"MotonnMaxSpeed", step.MotonnMaxSpeed},   {"MotonnnMoveLenth", step.MotonnnMoveLenth},
            {"MotonnFrequency", step.MotonnFrequency}, {"MotonnnstrDir", step.MotonnnstrDir}};
}

nlohmann::json StepsJson(const std::vector<controller::MotorListInfo>& steps) {
    nlohmann::json list = nlohmann::json::array();
    for (const auto& step : steps) list.push_back(StepJson(step));
    return list;
}

std::string StepsText(const char* name, const std::vector<controller::MotorListInfo>& steps) {
    std::string text;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const controller::MotorListInfo& s = steps[i];
        text += std::string(name) + " " + std::to_string(i) + ": motors " +
                numbers::Hex(s.motorIndex, kMotorsHex) + ", LED " + s.strLedIndx;
        for (int m = 0; m < controller::kMotorSlots; ++m) {
            if ((s.motorIndex & (1 << m)) == 0) continue;
            text += "; motor " + std::to_string(m) + " table " + std::to_string(s.MotonTabLen[m]) +
                    " speed " + std::to_string(s.MotonnMaxSpeed[m]) + " distance " +
                    std::to_string(s.MotonnnMoveLenth[m]) + " " + s.MotonnnstrDir[m];
        }
        text += '\n';
    }
    return text;
}

// The slots up to the last one that holds a code: the rest of an image is zero.
std::vector<controller::CMD_INFO> UsedSlots(const ImageReadBack& image,
                                            const config::StartImage& bytes) {
    std::size_t used = 0;
    for (std::size_t slot = 0; slot < image.commands.size(); ++slot) {
        if (bytes[slot * config::kImageRecordSize] != 0) used = slot + 1;
    }
    return {image.commands.begin(), image.commands.begin() + static_cast<std::ptrdiff_t>(used)};
}

// Shows a parsed image as "读取参数" takes it: the slots, and the motion lists and
// motor settings rebuilt from them for `boardType`.
int ShowImage(CtlOutput& output, const config::StartImage& bytes, int boardType) {
    const ImageReadBack image = config::ParseStartImage(bytes);
    controller::CMainOperation op;
    op.SetBoardType(static_cast<std::uint8_t>(boardType));
    motion::ReadMotionBack(op, image.commands);

    nlohmann::json settings = nlohmann::json::object();
    std::string settingsText;
    for (const auto& [key, value] : commands::CCmdsMag::MotorStateValues(op.motorSettings)) {
        settings[key] = value;
        settingsText += key + "=" + std::to_string(value) + " ";
    }
    const nlohmann::json doc = {{"crc_ok", image.Ok()},
                                {"state", StateName(image.state)},
                                {"stored_crc", image.storedCrc},
                                {"computed_crc", image.computedCrc},
                                {"board_type", boardType},
                                {"commands", CommandsJson(image.commands)},
                                {"movement", StepsJson(op.motionList)},
                                {"movetest", StepsJson(op.testMotionList)},
                                {"settings", settings}};

    const std::vector<controller::CMD_INFO> used = UsedSlots(image, bytes);
    std::string text = std::string("CRC ") + (image.Ok() ? "ok" : "FAILS") + " (" +
                       StateName(image.state) + "; stored " +
                       numbers::Hex(image.storedCrc, kCrcHex) + ", computed " +
                       numbers::Hex(image.computedCrc, kCrcHex) + ")\n" + "board type " +
                       std::to_string(boardType) + ", " + std::to_string(used.size()) +
                       " slots used\n" + CommandsText(used) + StepsText("movement", op.motionList) +
                       StepsText("movetest", op.testMotionList) + "settings: " + settingsText;
    if (!image.Ok())
        output.Note("not a valid start-up image: " +
                    config::ImageStateMessage(image.state, controller::Language::kEnglish));
    return output.Result(text, doc);
}

void FollowProgress(CtlOutput& output, const config::CImageDownload& job, const char* label) {
    while (!job.WaitFor(kProgressPoll))
        output.Progress(label, config::OverallPercent(job.Progress()));
    output.Progress(label, 100);
    output.EndProgress();
}

// `job`'s download of `image`, or its read-back, run to its end with its progress
// shown under `label`. A job whose progress is not shown runs on this thread: under
// --device all a worker thread for it would be one more thread per controller, for
// nothing.
config::DownloadResult RunDownload(CtlOutput& output, config::CImageDownload& job,
                                   const config::StartImage& image, int records,
                                   const char* label) {
    if (!output.ShowsProgress()) return job.Download(image, records);
    job.StartDownload(image, records);
    FollowProgress(output, job, label);
    return job.LastDownload();
}

config::ReadBackResult RunReadBack(CtlOutput& output, config::CImageDownload& job,
                                   const char* label) {
    if (!output.ShowsProgress()) return job.ReadBack();
    job.StartReadBack();
    FollowProgress(output, job, label);
    return job.LastReadBack();
}

}  // namespace

config::ReadBackResult ReadStartImage(CtlOutput& output, controller::CMainOperation& op,
                                      const char* label) {
    registers::CFlashReg flash(op);
    config::CImageDownload job(op, flash);
    return RunReadBack(output, job, label);
}

int CtlImageCommands::Build(const std::string& document, const std::string& outFile) {
    PreparedDocument prepared;
    if (const int code = PrepareDocument(output_, document, prepared); code != kExitOk) return code;
    const config::ImageBuild& build = prepared.prepared.build;
    if (!outFile.empty() && !WriteImageFile(session_.FileOps(), outFile, build.image))
        return output_.Fail(kExitCantCreate, "cannot write the image to " + outFile);

    const controller::OpenDocument& op = prepared.document;
    std::string text = "board type " + std::to_string(op.BoardType()) + ", " +
                       std::to_string(build.records) + " records, CRC " +
                       numbers::Hex(build.crc, kCrcHex) + "\n" + CommandsText(op.cmdList);
    if (!outFile.empty()) text += "image written to " + outFile + "\n";
    return output_.Result(text, {{"board_type", op.BoardType()},
                                 {"commands", CommandsJson(op.cmdList)},
                                 {"records", build.records},
                                 {"crc", build.crc}});
}

int CtlImageCommands::Show(const std::string& file) {
    std::ifstream in(files::PathFromUtf8(file), std::ios::binary);
    if (!in) return output_.Fail(kExitNoInput, "cannot read the image " + file);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                  std::istreambuf_iterator<char>()};
    if (bytes.size() != config::kImageSize)
        return output_.Fail(kExitDataErr, file + " holds " + std::to_string(bytes.size()) +
                                              " bytes; a start-up image holds 4096");
    config::StartImage image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return ShowImage(output_, image, session_.Options().boardType);
}

int PrepareOnController(CtlSession& session, CtlOutput& output, const std::string& document,
                        controller::CMainOperation*& op, PreparedDocument& prepared) {
    if (const PreparedDocument* shared = session.SharedDocument(document))
        prepared = *shared;
    else if (const int code = PrepareDocument(output, document, prepared); code != kExitOk)
        return code;
    if (const int code = session.Connect(op); code != kExitOk) return code;
    static_cast<controller::OpenDocument&>(*op) = prepared.document;
    return kExitOk;
}

int CtlImageCommands::Download(const std::string& document, bool preverify) {
    controller::CMainOperation* op = nullptr;
    PreparedDocument prepared;
    if (const int code = PrepareOnController(session_, output_, document, op, prepared);
        code != kExitOk)
        return code;
    const config::ImageBuild& build = prepared.prepared.build;

    registers::CFlashReg flash(*op);
    config::CImageDownload job(*op, flash);
    nlohmann::json doc = {
        {"board_type", op->BoardType()}, {"records", build.records}, {"crc", build.crc}};
    const std::string summary =
        std::to_string(build.records) + " records, CRC " + numbers::Hex(build.crc, kCrcHex);
    if (preverify) {
        const config::ReadBackResult before = RunReadBack(output_, job, "reading");
        if (before.transferOk && before.bytes == build.image) {
            output_.Note("the flash already holds this image; nothing was written");
            doc.update({{"written", false}, {"rounds", 0}, {"outcome", "verified"}});
            if (const int code = session_.KeepState(); code != kExitOk) return code;
            return output_.Result("already in flash: " + summary + "\n", doc);
        }
        if (!before.transferOk) output_.Note("the flash could not be read first; writing it");
    }

    const config::DownloadResult result =
        RunDownload(output_, job, build.image, build.records, "download");
    session_.RecordWrite({"download", document, prepared.fileCrc, build.crc,
                          config::DownloadHistoryResult(result), result.rounds});
    if (result.Success() && session_.Options().simulate) {
        // The simulated board replays its start-up image on a main-board reset.
        registers::PulseBoardReset(*op, registers::kMainBoardResetReg);
    }
    if (const int code = session_.KeepState(); code != kExitOk) return code;
    if (!result.Success()) {
        std::string message =
            OneLine(config::DownloadMessage(result, controller::Language::kEnglish).text);
        if (!result.differences.empty()) {
            message += " (first differing offsets:";
            for (std::size_t offset : result.differences)
                message += " " + numbers::Hex(offset, kOffsetHex);
            message += ")";
        }
        const bool differed = result.outcome == config::DownloadOutcome::VerifyFailed;
        return output_.Fail(differed ? kExitFailed : kExitIoErr, message);
    }
    doc.update(
        {{"written", true}, {"rounds", result.rounds}, {"outcome", OutcomeName(result.outcome)}});
    return output_.Result("downloaded and verified: " + summary + ", " +
                              std::to_string(result.rounds) + " round(s)\n",
                          doc);
}

int CtlImageCommands::ReadBack(const std::string& outFile) {
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;
    const config::ReadBackResult result = ReadStartImage(output_, *op, "readback");
    if (!result.transferOk)
        return output_.Fail(kExitIoErr, "reading the start-up image from the controller failed");
    if (!outFile.empty() && !WriteImageFile(session_.FileOps(), outFile, result.bytes))
        return output_.Fail(kExitCantCreate, "cannot write the image to " + outFile);
    return ShowImage(output_, result.bytes, op->BoardType());
}

}  // namespace velmor::cli
