#pragma once
// Writes the start-up image into the controller's flash and verifies it, and reads
// the image back: the transfer half of "DownFirm" and "读取参数", without the page.
// The configuration page calls the steps on the worker behind its progress window
// (ui::RunBehindProgress); velmorctl starts them on this class's own worker
// (StartDownload, StartReadBack) and follows Progress() while it runs, its result
// published only when that worker has finished.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "config/prt_config_params.h"
#include "config/start_image.h"
#include "controller/cmd_info.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::registers {
class CFlashReg;
}

namespace velmor::config {

// The byte written to the flash control block before the image.
inline constexpr std::uint8_t kDownloadControlByte = 0x51;
// Write/read/compare rounds after the first one.
inline constexpr int kDownloadRetries = 5;
// Differing offsets a failed verify names in the log.
inline constexpr std::size_t kReportedDifferences = 8;

enum class DownloadOutcome {
    Verified,        // the flash holds the image
    VerifyFailed,    // every round read the flash back, and it differed each time
    TransferFailed,  // the last round could not write or read (no answer, unplugged)
    FlashBusy,       // the last round found the flash busy for good
};

struct DownloadResult {
    DownloadOutcome outcome = DownloadOutcome::TransferFailed;
    int rounds = 0;                        // write/read/compare rounds made, 1..6
    std::vector<std::size_t> differences;  // first differing offsets of the last compare
    std::string log;                       // the dump and, on failure, what went wrong

    bool Success() const { return outcome == DownloadOutcome::Verified; }
};

struct ReadBackResult {
    bool transferOk = false;  // the 4096 bytes were read
    StartImage bytes{};       // what the flash returned (zeros when the transfer failed)
    ImageReadBack image;      // parsed when the transfer succeeded

    bool Success() const { return transferOk && image.Ok(); }
};

enum class TransferStage { Idle, ControlByte, Writing, Reading, Done };

struct TransferProgress {
    TransferStage stage = TransferStage::Idle;
    int round = 0;    // 0 for the first write, 1..5 for the retries
    int percent = 0;  // the flash transfer's progress counter
};

// One figure for a progress bar: the control byte at 0, a write from 5 to 50, its
// read-back from 50 to 100 (a retry starts again at 5), 100 when done. A busy
// time-out's counter (1000) counts as a full stage.
int OverallPercent(const TransferProgress& progress);

struct UserMessage {
    std::string text;
    std::string caption;  // "VelmorTool" for success, empty for the default caption
};

// How a download ended, as the history of writes records it: "verified",
// "mismatch after 5 retries", "flash busy" or "transfer failed".
std::string DownloadHistoryResult(const DownloadResult& result);

// The message "DownFirm" shows for a result.
UserMessage DownloadMessage(const DownloadResult& result, controller::Language language);
// The message "读取参数" shows for a read that failed ("Read Failed!" and why) or
// "Read complete!".
UserMessage ReadBackMessage(const ReadBackResult& result, controller::Language language);

class CImageDownload {
  public:
    CImageDownload(controller::CMainOperation& op, registers::CFlashReg& flash);
    ~CImageDownload();  // waits for a running worker
    CImageDownload(const CImageDownload&) = delete;
    CImageDownload& operator=(const CImageDownload&) = delete;

    // The steps, on the calling thread. Download: the control byte 0x51 to the
    // flash control block of the board type, the image to 0x1B0000, the dump of its
    // records into the log, then read back and compare the whole block, writing
    // again up to five times while it differs. Success only when a read-back
    // equals the image.
    DownloadResult Download(const StartImage& image, int records);
    // Reads the 4096 bytes at 0x1B0000 and parses them.
    ReadBackResult ReadBack();

    // The same on a worker thread. One job at a time: a start while a job runs is
    // refused (false).
    bool StartDownload(const StartImage& image, int records);
    bool StartReadBack();
    // True once the worker has stored its result; stays true until the next start.
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // Blocks until the worker has finished (at once when none was started).
    void Wait();
    // Blocks until the started worker has finished or `timeout` has passed; true when
    // it has finished. A follower of the progress wakes the moment the job ends.
    bool WaitFor(std::chrono::milliseconds timeout) const;
    // Valid after Finished() (or Wait()).
    const DownloadResult& LastDownload() const { return lastDownload_; }
    const ReadBackResult& LastReadBack() const { return lastReadBack_; }

    // Safe to call from any thread while a job runs.
    TransferProgress Progress() const;
    // Called on the thread that runs the steps whenever the stage changes, and when
    // a worker has finished. Set it before the steps start.
    void SetProgressListener(std::function<void()> listener) { listener_ = std::move(listener); }

  private:
    bool Start(std::function<void()> job);
    void SetStage(TransferStage stage, int round);

    controller::CMainOperation& op_;
    registers::CFlashReg& flash_;
    std::atomic<int> percent_{0};
    std::atomic<TransferStage> stage_{TransferStage::Idle};
    std::atomic<int> round_{0};
    std::atomic<bool> finished_{false};
    mutable std::mutex finishedMutex_;
    mutable std::condition_variable finishedChanged_;
    std::function<void()> listener_;
    std::mutex startMutex_;
    std::thread worker_;
    DownloadResult lastDownload_;
    ReadBackResult lastReadBack_;
};

// Applies a good read-back as "读取参数" does before it decodes: the slots become
// the controller object's read-back list (readBackList), the motion read-back (when
// given) rebuilds the motion lists and motor settings from them, and the
// parameter bytes are taken for the board type's layout.
using MotionReadBack = std::function<void(const std::vector<controller::CMD_INFO>& readBack,
                                          controller::CMainOperation& op)>;
PrtConfigParams ApplyReadBack(controller::CMainOperation& op, const ImageReadBack& image,
                              const PrtConfigParams& params, const MotionReadBack& motion);

}  // namespace velmor::config
