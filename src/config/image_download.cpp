#include "config/image_download.h"

#include <algorithm>

#include "config/config_encoding.h"
#include "config/config_texts.h"
#include "controller/main_operation.h"
#include "numbers/hex_text.h"
#include "registers/flash_reg.h"
#include "ui/dialog_service.h"

namespace velmor::config {

namespace {

std::vector<std::size_t> FirstDifferences(const StartImage& image, const StartImage& readBack) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < kImageSize && offsets.size() < kReportedDifferences; ++i) {
        if (image[i] != readBack[i]) offsets.push_back(i);
    }
    return offsets;
}

std::string DifferenceLine(int rounds, const std::vector<std::size_t>& offsets,
                           const StartImage& image, const StartImage& readBack) {
    std::string line = "Verify failed after " + std::to_string(rounds) +
                       " rounds; first differing bytes (offset: written/read):";
    for (std::size_t offset : offsets) {
        line += " " + numbers::Hex(offset, {.digits = 3, .prefix = true}) + ": " +
                numbers::Hex(image[offset], {.digits = 2}) + "/" +
                numbers::Hex(readBack[offset], {.digits = 2});
    }
    return line + "\r\n";
}

}  // namespace

std::string DownloadHistoryResult(const DownloadResult& result) {
    switch (result.outcome) {
        case DownloadOutcome::Verified:
            return "verified";
        case DownloadOutcome::VerifyFailed:
            return "mismatch after " + std::to_string(kDownloadRetries) + " retries";
        case DownloadOutcome::FlashBusy:
            return "flash busy";
        case DownloadOutcome::TransferFailed:
            break;
    }
    return "transfer failed";
}

UserMessage DownloadMessage(const DownloadResult& result, controller::Language language) {
    if (result.Success())
        return {ui::SuccessText(kDownloadCompleteText.Text(language)),
                std::string(ui::kSuccessCaption)};
    const controller::BilingualText* detail = &kTransferFailedDetail;
    if (result.outcome == DownloadOutcome::VerifyFailed) detail = &kVerifyFailedDetail;
    if (result.outcome == DownloadOutcome::FlashBusy) detail = &kFlashBusyDetail;
    return {kDownloadFailedText.Text(language) + "\n" + detail->Text(language), {}};
}

UserMessage ReadBackMessage(const ReadBackResult& result, controller::Language language) {
    if (result.Success())
        return {ui::SuccessText(kReadCompleteText.Text(language)),
                std::string(ui::kSuccessCaption)};
    const std::string detail = result.transferOk ? ImageStateMessage(result.image.state, language)
                                                 : kTransferFailedDetail.Text(language);
    return {kReadFailedText.Text(language) + "\n" + detail, {}};
}

CImageDownload::CImageDownload(controller::CMainOperation& op, registers::CFlashReg& flash)
    : op_(op), flash_(flash) {}

CImageDownload::~CImageDownload() { Wait(); }

void CImageDownload::SetStage(TransferStage stage, int round) {
    round_.store(round);
    stage_.store(stage);
    if (listener_) listener_();
}

DownloadResult CImageDownload::Download(const StartImage& image, int records) {
    DownloadResult result;
    percent_ = 0;
    SetStage(TransferStage::ControlByte, 0);
    const std::uint8_t control = kDownloadControlByte;
    if (!op_.WriteRegs(flash_.BlockBase(), &control, 1)) {
        // The controller took nothing: no image write is started on a dead link.
        result.log = "Flash control byte could not be written\r\n";
        SetStage(TransferStage::Done, 0);
        return result;
    }

    StartImage readBack{};
    for (int round = 0; round <= kDownloadRetries; ++round) {
        SetStage(TransferStage::Writing, round);
        percent_ = 0;
        const bool wrote = flash_.Write(image.data(), kImageFlashAddress,
                                        static_cast<int>(kImageSize), percent_, false);
        const bool writeBusy = !wrote && percent_.load() == registers::kFlashBusyProgress;
        if (round == 0) AppendImageDump(result.log, image, records);

        // Read back even after a failed write: a flash that holds the image anyway
        // is verified by what it returns, never by what the write reported.
        SetStage(TransferStage::Reading, round);
        readBack.fill(0);
        percent_ = 0;
        const bool read = flash_.Read(readBack.data(), kImageFlashAddress,
                                      static_cast<int>(kImageSize), percent_);
        const bool readBusy = !read && percent_.load() == registers::kFlashBusyProgress;
        result.rounds = round + 1;

        // The whole block is compared, the CRC included: a flash whose CRC bytes
        // differ does not hold a valid image.
        if (read && readBack == image) {
            result.outcome = DownloadOutcome::Verified;
            result.differences.clear();
            break;
        }
        if (read) {
            result.outcome = DownloadOutcome::VerifyFailed;
            result.differences = FirstDifferences(image, readBack);
        } else {
            result.outcome = (readBusy || writeBusy) ? DownloadOutcome::FlashBusy
                                                     : DownloadOutcome::TransferFailed;
            result.differences.clear();
        }
    }

    if (result.outcome == DownloadOutcome::VerifyFailed)
        result.log += DifferenceLine(result.rounds, result.differences, image, readBack);
    else if (result.outcome == DownloadOutcome::TransferFailed)
        result.log += "Flash read-back failed: no answer from the controller\r\n";
    else if (result.outcome == DownloadOutcome::FlashBusy)
        result.log += "Flash stayed busy\r\n";

    readBack.fill(0);
    percent_ = 0;
    SetStage(TransferStage::Done, result.rounds - 1);
    return result;
}

ReadBackResult CImageDownload::ReadBack() {
    ReadBackResult result;
    percent_ = 0;
    SetStage(TransferStage::Reading, 0);
    StartImage block{};
    result.transferOk =
        flash_.Read(block.data(), kImageFlashAddress, static_cast<int>(kImageSize), percent_);
    if (result.transferOk) {
        result.bytes = block;
        result.image = ParseStartImage(block);
    }
    percent_ = 0;
    SetStage(TransferStage::Done, 0);
    return result;
}

bool CImageDownload::Start(std::function<void()> job) {
    std::lock_guard lock(startMutex_);
    if (worker_.joinable()) {
        if (!Finished()) return false;
        worker_.join();
    }
    finished_.store(false, std::memory_order_release);
    worker_ = std::thread([this, job = std::move(job)] {
        job();
        {
            const std::lock_guard finished(finishedMutex_);
            finished_.store(true, std::memory_order_release);
        }
        finishedChanged_.notify_all();
        if (listener_) listener_();
    });
    return true;
}

bool CImageDownload::StartDownload(const StartImage& image, int records) {
    return Start([this, image, records] { lastDownload_ = Download(image, records); });
}

bool CImageDownload::StartReadBack() {
    return Start([this] { lastReadBack_ = ReadBack(); });
}

bool CImageDownload::WaitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(finishedMutex_);
    return finishedChanged_.wait_for(lock, timeout, [this] { return Finished(); });
}

void CImageDownload::Wait() {
    std::lock_guard lock(startMutex_);
    if (worker_.joinable()) worker_.join();
}

int OverallPercent(const TransferProgress& progress) {
    const int within = std::clamp(progress.percent, 0, 100);
    switch (progress.stage) {
        case TransferStage::Idle:
        case TransferStage::ControlByte:
            return 0;
        case TransferStage::Writing:
            return 5 + within * 45 / 100;
        case TransferStage::Reading:
            return 50 + within / 2;
        case TransferStage::Done:
            return 100;
    }
    return 0;
}

TransferProgress CImageDownload::Progress() const {
    return {stage_.load(), round_.load(), percent_.load()};
}

PrtConfigParams ApplyReadBack(controller::CMainOperation& op, const ImageReadBack& image,
                              const PrtConfigParams& params, const MotionReadBack& motion) {
    if (!image.Ok()) return params;
    op.readBackList = image.commands;
    if (motion) motion(op.readBackList, op);
    return TakeFromReadBack(op.readBackList, controller::LayoutOf(op.BoardType()), params);
}

}  // namespace velmor::config
