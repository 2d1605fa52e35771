#pragma once
// A controller object on the simulated controller whose motors run on a clock
// the test moves by hand, and a sleeper that never waits long. Test moves and
// status threads run for real; only time is fake, so no result depends on how
// fast the machine is.

#include <atomic>
#include <chrono>

#include "drivers/sim/sim_motors.h"
#include "support/sim_rig.h"
#include "ui/sleeper.h"

namespace velmor::motion::testing {

// Waits at most 1 ms whatever it is asked for: loops keep their order of steps
// without the test waiting out their real pauses.
class BriefSleeper : public ui::Sleeper {
  public:
    bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
        sleeps.fetch_add(1);
        if (duration == std::chrono::milliseconds(100)) hundredMs.fetch_add(1);
        return ui::DefaultSleeper().SleepFor(std::min(duration, std::chrono::milliseconds(1)),
                                             std::move(stop));
    }
    std::atomic<int> sleeps{0};
    std::atomic<int> hundredMs{0};
};

class MotionRig : public velmor::testing::SimRig {
  public:
    explicit MotionRig(std::uint8_t boardType) {
        SetBoard(boardType);
        Motors().SetClock([this] { return std::chrono::nanoseconds(now_.load()); });
    }

    void SetBoard(std::uint8_t boardType) {
        op.SetBoardType(boardType);
        Motors().SetLayout(boardType == 0 ? sim::SimMotionLayout::kMainBoard
                                          : sim::SimMotionLayout::kFiber);
    }
    sim::SimMotors& Motors() { return Controller().Motors(); }
    void Advance(std::chrono::nanoseconds by) { now_ += by.count(); }

  private:
    std::atomic<std::int64_t> now_{1'000'000'000};
};

}  // namespace velmor::motion::testing
