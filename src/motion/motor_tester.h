#pragma once
// Test moves and the motor status display that both movement pages own: one
// motor moved directly over the link while its status is shown.
//
// StartTestMove programs and starts each ticked motor on a worker thread
// (program, stop it while it still moves, start pulse, wait until done);
// StopTestMove asserts the stop bits of the ticked motors; a status thread
// calls RefreshMotorStatus every 100 ms while the page wants it. The page hands
// its check boxes and fields over as TestMoveInputs and learns of changes
// through the listener, which may be called from either thread.
//
// The worker's waits end when the move ends, a status read fails, the stop
// button is pressed, the controller is no longer connected or the owner closes,
// so a motor that never reports done cannot keep a thread alive. Both threads
// are joined before the tester goes away.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "controller/board_layout.h"
#include "controller/motor_settings.h"
#include "motion/motion_register_map.h"
#include "motion/motor_status.h"
#include "motion/register_bits.h"
#include "motion/test_move_inputs.h"
#include "ui/sleeper.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::motion {

// Shown by the page when a test needs the controller and it is not connected;
// the text exists only in Chinese.
inline constexpr const char* kNotConnectedText = "USB未连接!";

// How the last test move ended.
enum class MoveOutcome { kNone, kEnd, kLimit, kStopped, kReadFailed, kAborted };

class MotorTester {
  public:
    // Which page owns the tester: the fiber page shows one Y line and the
    // head-board position line.
    enum class StartResult { kStarted, kNotConnected, kBusy };
    enum class Change {
        kStatusText,   // StatusText() changed
        kMoveRunning,  // a test move started or ended ("电机运动" disabled / enabled)
        kYReset,       // Y0 and Y1 are ticked and selected now
    };
    // Called on the tester's threads as well as the caller's; it must not call
    // StartTestMove or WaitForMove itself (queue the work to the page's thread).
    using Listener = std::function<void(Change)>;

    static constexpr std::chrono::milliseconds kStatusPeriod{100};
    static constexpr std::chrono::milliseconds kPreStopPause{100};
    // Pause between the status reads of the wait for a move's end.
    static constexpr std::chrono::milliseconds kWaitPollPause{10};

    // `sleeper` carries every wait (status period, pre-stop and poll pauses).
    MotorTester(controller::CMainOperation& op, controller::BoardLayout page,
                ui::Sleeper& sleeper = ui::DefaultSleeper());
    ~MotorTester();  // Close()
    MotorTester(const MotorTester&) = delete;
    MotorTester& operator=(const MotorTester&) = delete;

    void SetListener(Listener listener);
    // The page's check boxes and fields as they are now; the status thread reads them.
    void UpdateInputs(const TestMoveInputs& inputs);
    TestMoveInputs Inputs() const;

    // "电机运动": refuses without a connection (the page shows kNotConnectedText)
    // or while a move runs; otherwise applies the page's settings to the
    // controller object and starts the worker.
    StartResult StartTestMove(const TestMoveInputs& inputs);
    // "电机停止", for the motors ticked in `inputs`; also ends the worker's waits.
    void StopTestMove(const TestMoveInputs& inputs);
    bool MoveRunning() const { return moveRunning_.load(); }
    // Returns once the worker has finished (at once when none runs).
    void WaitForMove();
    MoveOutcome LastOutcome() const { return outcome_.load(); }

    // "测试运动": false without a connection (nothing done). Switching off does
    // the Y reset and hides the status text from then on.
    bool SetTestMode(bool on);
    // Reads 0x40E8 once, ticks Y0 and Y1 and selects both feed motors.
    void YReset();

    void StartStatusThread();
    void StopStatusThread();
    bool StatusThreadRunning() const;
    // One refresh of the status text; the status thread calls it every 100 ms.
    void RefreshMotorStatus();
    // Latches the X position counter of head board 1 and reads it; when the
    // read fails, the count stays the last one read.
    std::uint32_t LatchXPosition();

    std::string StatusText() const;
    bool MotionStarted() const { return motionStarted_.load(); }
    bool PositionLatchPending() const { return latchPending_.load(); }

    // Ends both threads and waits for them; later starts are refused.
    void Close();

  private:
    void Notify(Change change);
    void RunMove(std::stop_token stop, TestMoveInputs inputs, controller::MotorSettings settings);
    bool KeepGoing(const std::stop_token& stop) const;
    // Stops the generators while they still move; false when the move was called off.
    bool PreStop(const std::vector<const Generator*>& generators, const std::stop_token& stop);
    MoveOutcome WaitForEnd(const std::vector<const Generator*>& generators,
                           const std::stop_token& stop);
    void StatusLoop(std::stop_token stop);
    void AddLine(std::string& text, StatusMotor motor, std::uint16_t status, bool english);
    void LatchHeadBoards(std::uint8_t boardType);
    controller::MotorSettings SettingsSnapshot() const;

    controller::CMainOperation& op_;
    const controller::BoardLayout page_;
    ui::Sleeper& sleeper_;
    const bool english_;
    RegisterBits bits_;

    mutable std::mutex inputsMutex_;
    TestMoveInputs inputs_;
    mutable std::mutex textMutex_;
    std::string statusText_;
    std::mutex listenerMutex_;
    Listener listener_;

    std::mutex refreshMutex_;         // one refresh at a time (status thread or a caller)
    std::mutex startMutex_;           // a start pulse and the stop button never interleave
    mutable std::mutex threadMutex_;  // the thread objects themselves
    std::atomic<bool> moveRunning_{false};
    std::atomic<bool> stopPressed_{false};
    std::atomic<bool> motionStarted_{false};
    std::atomic<bool> latchPending_{false};
    std::atomic<bool> closed_{false};
    std::atomic<MoveOutcome> outcome_{MoveOutcome::kNone};
    std::atomic<std::uint32_t> xCount_{0};       // the last X position count
    std::array<std::uint32_t, 4> headCounts_{};  // guarded by refreshMutex_

    // Last, so they end before anything they use.
    std::jthread worker_;
    std::jthread statusThread_;
};

}  // namespace velmor::motion
