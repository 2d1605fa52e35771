#pragma once
// The simulated controller's four motion generators (five on the main board,
// whose Z/M1 generator may sit on head board 1), as register hooks.
//
// A rising start bit in a generator's trigger register (a host write, or a
// store of the start-up replay) starts a move with the table length, distance
// and divisor then in its registers; the move lasts
// distance / rate, the rate being the top speed the divisor stands for
// (sqrt(table) * 100000000 * 65536 / divisor / 255 steps per second; for the X
// DC motor, the PWM frequency in the divisor's upper half). A divisor of 0 ends
// the move at once. While a move runs, bit 0 of the status register reads 0;
// when idle it reads 1 with the reason in bits 1-3: 8 end of movement, 2 limit
// reached, 6 stopped. A write that leaves the stop bit set stops a running move.
// Status is worked out when it is read, from a clock tests can drive, so no
// thread runs and no test waits in real time.
//
// The X position counter counts the X motor's pulses (towards "End" up, towards
// the origin down, never below 0) and a rising bit 3 of 0x4n08 latches it into
// the four registers from 0x4n7C: head board 1 on the main-board layout, every
// head board on the fiber layouts.
//
// The register map differs between the main-board and the fiber layouts (the
// same address means different registers), and nothing the host writes tells
// them apart reliably, so the layout is a knob: SetLayout, fiber by default as
// a new controller object assumes "DoubleFiber". velmorctl and the program set
// it from the chosen board type.
//
// Knobs and observers may be called from any thread; hooks run with the
// controller locked and take this object's own lock inside it.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>

#include "drivers/sim/sim_register_file.h"

namespace velmor::sim {

enum class SimMotionLayout { kMainBoard, kFiber };

// kZ1Head exists on the main-board layout only.
enum class SimGenerator { kX0, kY0, kY1, kZ1, kZ1Head };
inline constexpr std::size_t kSimGenerators = 5;

enum class SimMotor { kNone, kX, kXDc, kM0, kY0, kY1, kZ, kM1 };

// What a generator was started with.
struct SimMove {
    SimMotor motor = SimMotor::kNone;
    bool towardsEnd = false;
    std::uint16_t table = 0;
    std::uint32_t length = 0;
    std::uint32_t divisor = 0;
};

class SimMotors {
  public:
    using Clock = std::function<std::chrono::nanoseconds()>;

    static constexpr std::uint8_t kIdle = 0x01;
    static constexpr std::uint8_t kReasonEnd = 0x08;
    static constexpr std::uint8_t kReasonLimit = 0x02;
    static constexpr std::uint8_t kReasonStopped = 0x06;
    // The longest move the model times (about three years); a longer one lasts this.
    static constexpr std::chrono::nanoseconds kLongestMove{100'000'000'000'000'000};

    SimMotors();

    // Hangs the generators on `file`; the controller model calls it once.
    void Install(SimRegisterFile& file);

    // ---- knobs ----
    void SetLayout(SimMotionLayout layout);
    SimMotionLayout Layout() const;
    // The time source; the default is the steady clock.
    void SetClock(Clock clock);
    // Multiplies every move's duration (0.001: a one-second move lasts 1 ms).
    void SetTimeScale(double scale);
    // A stuck generator keeps moving until its stop bit is set.
    void SetStuck(SimGenerator generator, bool stuck);
    // A limit switch that ends the generator's moves after `pulses` pulses
    // (nothing: no switch).
    void SetLimitAfter(SimGenerator generator, std::optional<std::uint32_t> pulses);
    // Head board n (1..4) latches the X position plus this offset.
    void SetHeadBoardOffset(int board, std::int32_t offset);
    void SetXPosition(std::uint32_t count);

    // ---- observers ----
    bool Moving(SimGenerator generator) const;
    std::uint32_t Starts(SimGenerator generator) const;
    SimMove LastMove(SimGenerator generator) const;
    // The status nibble the host would read now (bits 0-3).
    std::uint8_t Status(SimGenerator generator) const;
    std::chrono::nanoseconds LastDuration(SimGenerator generator) const;
    std::uint32_t XPosition() const;

  private:
    struct Generator {
        bool active = false;
        std::chrono::nanoseconds start{0};
        std::chrono::nanoseconds duration{0};
        std::uint32_t distance = 0;
        bool countsX = false;
        bool stuck = false;
        std::optional<std::uint32_t> limit;
        std::uint8_t status = kIdle | kReasonEnd;
        std::uint32_t starts = 0;
        SimMove last;
    };

    void OnTrigger(SimRegisterFile& file, std::uint16_t address, std::uint8_t previous,
                   std::uint8_t value);
    std::uint8_t OnStatus(SimRegisterFile& file, std::uint16_t address, std::uint8_t stored);
    void OnLatch(SimRegisterFile& file, std::uint16_t address, std::uint8_t previous,
                 std::uint8_t value);
    void Start(SimRegisterFile& file, std::size_t index);
    void Stop(std::size_t index);
    // Ends the move of `index` if its time (or its limit) has come.
    void Settle(std::size_t index) const;
    void Finish(Generator& g, std::uint32_t pulses, std::uint8_t reason) const;
    std::uint32_t PulsesDone(const Generator& g, std::chrono::nanoseconds now) const;
    std::uint32_t CurrentX() const;
    std::chrono::nanoseconds Now() const;

    mutable std::mutex mutex_;
    SimMotionLayout layout_ = SimMotionLayout::kFiber;
    Clock clock_;
    double timeScale_ = 1.0;
    // Settling a move on a status read changes state: a read is an observation
    // of a device that moved on meanwhile.
    mutable std::array<Generator, kSimGenerators> generators_;
    mutable std::uint32_t xPosition_ = 0;
    std::array<std::int32_t, 5> headBoardOffsets_{};
};

}  // namespace velmor::sim
