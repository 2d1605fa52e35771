#include "motion/motor_tester.h"

#include <atomic>
#include <utility>

#include "controller/main_operation.h"
#include "motion/motor_channel.h"
#include "motion/test_move_program.h"

namespace velmor::motion {

namespace {

using controller::MotorSettings;

constexpr std::uint8_t kDoneBit = 0x01;

MoveOutcome OutcomeOf(MotorState state) {
    switch (state) {
        case MotorState::kEnd:
            return MoveOutcome::kEnd;
        case MotorState::kLimit:
            return MoveOutcome::kLimit;
        case MotorState::kStopped:
            return MoveOutcome::kStopped;
        case MotorState::kMoving:
        case MotorState::kIdle:
            break;
    }
    return MoveOutcome::kEnd;  // idle for another reason: done all the same
}

}  // namespace

MotorTester::MotorTester(controller::CMainOperation& op, controller::BoardLayout page,
                         ui::Sleeper& sleeper)
    : op_(op),
      page_(page),
      sleeper_(sleeper),
      english_(controller::English(op.language)),
      bits_(op) {}

MotorTester::~MotorTester() { Close(); }

void MotorTester::Close() {
    closed_ = true;
    std::jthread worker;
    std::jthread status;
    {
        std::lock_guard lock(threadMutex_);
        worker = std::move(worker_);
        status = std::move(statusThread_);
    }
    worker.request_stop();
    status.request_stop();
    if (worker.joinable()) worker.join();
    if (status.joinable()) status.join();
}

void MotorTester::SetListener(Listener listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

void MotorTester::Notify(Change change) {
    Listener copy;
    {
        std::lock_guard lock(listenerMutex_);
        copy = listener_;
    }
    if (copy) copy(change);
}

void MotorTester::UpdateInputs(const TestMoveInputs& inputs) {
    std::lock_guard lock(inputsMutex_);
    inputs_ = inputs;
}

TestMoveInputs MotorTester::Inputs() const {
    std::lock_guard lock(inputsMutex_);
    return inputs_;
}

std::string MotorTester::StatusText() const {
    std::lock_guard lock(textMutex_);
    return statusText_;
}

MotorSettings MotorTester::SettingsSnapshot() const {
    // Field by field from what the pages' settings own.
    MotorSettings s;
    ApplyPageSettings(op_.motorSettings, s);
    s.Y0Selected = op_.motorSettings.Y0Selected;
    s.Y1Selected = op_.motorSettings.Y1Selected;
    s.Multiply = op_.motorSettings.Multiply;
    s.BoardType = op_.BoardType();
    return s;
}

// ---- test moves ----

MotorTester::StartResult MotorTester::StartTestMove(const TestMoveInputs& inputs) {
    if (op_.connected.load() == 0) return StartResult::kNotConnected;
    std::lock_guard lock(threadMutex_);
    if (closed_.load() || moveRunning_.load()) return StartResult::kBusy;
    if (worker_.joinable()) worker_.join();  // the last move's worker, already done

    ApplyPageSettings(inputs.settings, op_.motorSettings);
    UpdateInputs(inputs);
    moveRunning_ = true;
    stopPressed_ = false;
    outcome_ = MoveOutcome::kNone;
    worker_ = std::jthread([this, inputs, settings = SettingsSnapshot()](std::stop_token stop) {
        RunMove(stop, inputs, settings);
    });
    Notify(Change::kMoveRunning);
    return StartResult::kStarted;
}

bool MotorTester::KeepGoing(const std::stop_token& stop) const {
    return !stop.stop_requested() && op_.connected.load() != 0;
}

void MotorTester::RunMove(std::stop_token stop, TestMoveInputs inputs, MotorSettings settings) {
    MoveOutcome outcome = MoveOutcome::kNone;
    for (TestMotor motor : kTestMotorOrder) {
        if (!inputs.Ticked(motor)) continue;
        if (!KeepGoing(stop)) {
            outcome = MoveOutcome::kAborted;
            break;
        }
        ProgramTestMove(bits_, motor, inputs, settings);
        const std::vector<const Generator*> generators = TestGenerators(motor, settings);
        if (!PreStop(generators, stop)) {
            outcome = MoveOutcome::kAborted;
            break;
        }
        {
            // The stop button takes this lock too: either the start pulse is
            // over before its stop bits go out, or it sees the stop and skips it.
            std::lock_guard lock(startMutex_);
            if (!KeepGoing(stop)) {
                outcome = MoveOutcome::kAborted;
                break;
            }
            for (const Generator* g : generators) bits_.ClearBit(g->trigger.address, g->stopBit);
            for (const Generator* g : generators) bits_.ClearBit(g->trigger.address, g->startBit);
            for (const Generator* g : generators) bits_.SetBit(g->trigger.address, g->startBit);
            for (const Generator* g : generators) bits_.ClearBit(g->trigger.address, g->startBit);
        }
        // Shown from the start of the move, so the display follows it while it runs.
        motionStarted_ = true;
        outcome = WaitForEnd(generators, stop);
        if (motor == TestMotor::kX) latchPending_ = true;
        if (outcome == MoveOutcome::kAborted) break;
    }
    if (outcome == MoveOutcome::kAborted && stopPressed_.load()) outcome = MoveOutcome::kStopped;
    outcome_ = outcome;
    moveRunning_ = false;
    Notify(Change::kMoveRunning);
}

bool MotorTester::PreStop(const std::vector<const Generator*>& generators,
                          const std::stop_token& stop) {
    for (const Generator* g : generators) {
        for (;;) {
            std::uint8_t status = 0;
            if (!bits_.Read(g->status.address, status) || (status & kDoneBit) != 0) break;
            if (!KeepGoing(stop)) return false;
            bits_.SetBit(g->trigger.address, g->stopBit);
            if (!sleeper_.SleepFor(kPreStopPause, stop)) return false;
        }
    }
    return true;
}

MoveOutcome MotorTester::WaitForEnd(const std::vector<const Generator*>& generators,
                                    const std::stop_token& stop) {
    MoveOutcome result = MoveOutcome::kEnd;
    for (const Generator* g : generators) {
        for (;;) {
            std::uint8_t status = 0;
            if (!bits_.Read(g->status.address, status)) return MoveOutcome::kReadFailed;
            const MotorState state = DecodeStatus(true, status);
            if (state != MotorState::kMoving) {
                const MoveOutcome end = OutcomeOf(state);
                if (result == MoveOutcome::kEnd) result = end;
                break;
            }
            if (!KeepGoing(stop)) return MoveOutcome::kAborted;
            if (!sleeper_.SleepFor(kWaitPollPause, stop)) return MoveOutcome::kAborted;
        }
    }
    return result;
}

void MotorTester::WaitForMove() {
    std::jthread worker;
    {
        std::lock_guard lock(threadMutex_);
        worker = std::move(worker_);
    }
    if (worker.joinable()) worker.join();
}

void MotorTester::StopTestMove(const TestMoveInputs& inputs) {
    UpdateInputs(inputs);
    stopPressed_ = true;
    {
        std::lock_guard lock(threadMutex_);
        worker_.request_stop();
    }
    std::lock_guard lock(startMutex_);
    const std::uint8_t boardType = op_.BoardType();
    const MotionRegisterMap& map = MotionRegisters(boardType);
    const auto stopSequence = [&](const std::vector<const Generator*>& generators,
                                  bool stopBitFirst) {
        for (const Generator* g : generators)
            bits_.ClearBit(g->trigger.address, stopBitFirst ? g->stopBit : g->startBit);
        for (const Generator* g : generators)
            bits_.ClearBit(g->trigger.address, stopBitFirst ? g->startBit : g->stopBit);
        for (const Generator* g : generators) bits_.SetBit(g->trigger.address, g->stopBit);
    };

    // The DC motor runs on the X0 generator as X does.
    if (inputs.Ticked(TestMotor::kX) || inputs.Ticked(TestMotor::kXDc) ||
        inputs.Ticked(TestMotor::kM0))
        stopSequence({&map.x0}, false);
    if (inputs.Ticked(TestMotor::kY)) {
        if (!map.mainBoard)
            stopSequence({&map.y[0], &map.y[1]}, false);
        else
            stopSequence({inputs.y0Ticked ? &map.y[0] : &map.y[1]}, false);
    }
    const bool z = inputs.Ticked(TestMotor::kZ);
    const bool m1 = inputs.Ticked(TestMotor::kM1);
    // On the head board the Z_1 generator serves M1 as well as Z, so M1 is
    // stopped there too. Only the main-board layout has that generator: "控制板"
    // (Z0Board) chooses it there, and a start or a status read on a fiber layout
    // never uses 0x41D2. So a fiber stop leaves 0x41D2 alone whatever Z0Board
    // holds, instead of writing bits of a register that layout does not drive.
    if (map.mainBoard && inputs.settings.Z0Board == 1 && (z || m1))
        stopSequence({&map.z1Head}, true);
    if (z || m1) stopSequence({&map.z1}, true);
}

// ---- test mode and the Y reset ----

bool MotorTester::SetTestMode(bool on) {
    if (op_.connected.load() == 0) return false;
    if (!on) {
        YReset();
        motionStarted_ = false;
    }
    return true;
}

void MotorTester::YReset() {
    std::uint8_t unused = 0;
    bits_.Read(kYResetRegister, unused);
    {
        std::lock_guard lock(inputsMutex_);
        inputs_.y0Ticked = true;
        inputs_.y1Ticked = true;
    }
    op_.motorSettings.Y0Selected = 1;
    op_.motorSettings.Y1Selected = 1;
    Notify(Change::kYReset);
}

// ---- status display ----

void MotorTester::StartStatusThread() {
    std::lock_guard lock(threadMutex_);
    if (closed_.load() || statusThread_.joinable()) return;
    statusThread_ = std::jthread([this](std::stop_token stop) { StatusLoop(stop); });
}

void MotorTester::StopStatusThread() {
    std::jthread status;
    {
        std::lock_guard lock(threadMutex_);
        status = std::move(statusThread_);
    }
    status.request_stop();
    if (status.joinable()) status.join();
}

bool MotorTester::StatusThreadRunning() const {
    std::lock_guard lock(threadMutex_);
    return statusThread_.joinable();
}

void MotorTester::StatusLoop(std::stop_token stop) {
    while (!stop.stop_requested()) {
        RefreshMotorStatus();
        if (!sleeper_.SleepFor(kStatusPeriod, stop)) break;
    }
}

void MotorTester::AddLine(std::string& text, StatusMotor motor, std::uint16_t status,
                          bool english) {
    std::uint8_t value = 0;
    const bool ok = bits_.Read(status, value);
    text += StatusLine(motor, DecodeStatus(ok, value), english);
    text += "\r\n";
}

void MotorTester::RefreshMotorStatus() {
    std::lock_guard lock(refreshMutex_);
    std::uint32_t clear = 0;
    if (op_.connected.load() != 0 && op_.firstConnection.compare_exchange_strong(clear, 1))
        YReset();

    const TestMoveInputs in = Inputs();
    const std::uint8_t boardType = op_.BoardType();
    const MotionRegisterMap& map = MotionRegisters(boardType);
    // The fiber layouts show every line in Chinese; only the fiber page's Y
    // line follows the language there.
    const bool english = english_ && controller::SingleBoard(boardType);
    const Generator& z1 = map.Z1(in.settings.Z0Board == 1);

    std::string text;
    if (in.Ticked(TestMotor::kX)) {
        AddLine(text, StatusMotor::kX, map.x0.status.address, english);
        if (page_ == controller::BoardLayout::kMainBoard && controller::SingleBoard(boardType)) {
            if (latchPending_.exchange(false)) LatchXPosition();
            text += "\n" + XPositionText(xCount_.load());
        } else if (page_ == controller::BoardLayout::kFiber &&
                   !controller::SingleBoard(boardType)) {
            if (latchPending_.exchange(false)) LatchHeadBoards(boardType);
            text += "\n" + HeadBoardPositionText(headCounts_, boardType);
        }
    }
    if (in.Ticked(TestMotor::kY)) {
        if (page_ == controller::BoardLayout::kFiber) {
            AddLine(text, StatusMotor::kY, map.y[0].status.address, english_);
        } else {
            if (in.y0Ticked) AddLine(text, StatusMotor::kY0, map.y[0].status.address, english);
            if (in.y1Ticked) AddLine(text, StatusMotor::kY1, map.y[1].status.address, english);
        }
    }
    if (in.Ticked(TestMotor::kZ)) AddLine(text, StatusMotor::kZ, z1.status.address, english);
    if (in.Ticked(TestMotor::kM0)) AddLine(text, StatusMotor::kM0, map.x0.status.address, english);
    // M1 shares the Z_1 generator, on whichever board drives it.
    if (in.Ticked(TestMotor::kM1)) AddLine(text, StatusMotor::kM1, z1.status.address, english);

    if (!motionStarted_.load()) return;
    bool changed = false;
    {
        std::lock_guard textLock(textMutex_);
        changed = statusText_ != text;
        if (changed) statusText_ = std::move(text);
    }
    if (changed) Notify(Change::kStatusText);
}

std::uint32_t MotorTester::LatchXPosition() {
    std::uint8_t value = 0;
    bits_.Read(kLatchRegister, value);
    const auto mask = static_cast<std::uint8_t>(1u << kLatchBit);
    bits_.Write8(kLatchRegister, static_cast<std::uint8_t>(value & ~mask));
    bits_.Write8(kLatchRegister, static_cast<std::uint8_t>(value | mask));
    std::uint32_t count = 0;
    if (bits_.Read32(kPositionCount, count)) xCount_ = count;
    return xCount_.load();
}

void MotorTester::LatchHeadBoards(std::uint8_t boardType) {
    const auto pulse = [&](std::initializer_list<int> boards) {
        const auto mask = static_cast<std::uint8_t>(1u << kLatchBit);
        std::uint8_t values[5] = {};
        for (int b : boards)
            bits_.Read(static_cast<std::uint16_t>(kLatchRegister + (b - 1) * kBoardSpan),
                       values[b]);
        for (int b : boards)
            bits_.Write8(static_cast<std::uint16_t>(kLatchRegister + (b - 1) * kBoardSpan),
                         static_cast<std::uint8_t>(values[b] & ~mask));
        for (int b : boards)
            bits_.Write8(static_cast<std::uint16_t>(kLatchRegister + (b - 1) * kBoardSpan),
                         static_cast<std::uint8_t>(values[b] | mask));
    };
    const auto count = [&](int board) {
        return static_cast<std::uint16_t>(kPositionCount + (board - 1) * kBoardSpan);
    };
    pulse({1, 2});
    bits_.Read32(count(1), headCounts_[0]);
    bits_.Read32(count(2), headCounts_[1]);
    if (!controller::HasHeadBoards3And4(boardType)) return;
    pulse({3, 4});
    // X2 is board 4's counter and X3 board 3's.
    bits_.Read32(count(4), headCounts_[2]);
    bits_.Read32(count(3), headCounts_[3]);
}

}  // namespace velmor::motion
