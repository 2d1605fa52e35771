#include "drivers/sim/sim_motors.h"

#include <algorithm>
#include <cmath>

namespace velmor::sim {

namespace {

using std::chrono::nanoseconds;

// One generator's registers in one layout.
struct GeneratorRegisters {
    bool present = false;
    std::uint16_t trigger = 0;
    int startBit = 0;
    int stopBit = 0;
    std::uint16_t status = 0;
    std::uint16_t table = 0;
    std::uint16_t length = 0;
    std::uint16_t divisor = 0;
};

// Indexed by SimGenerator.
constexpr std::array<GeneratorRegisters, kSimGenerators> kMainBoard = {{
    {true, 0x400B, 0, 2, 0x400F, 0x4050, 0x4054, 0x405C},
    {true, 0x40A4, 4, 6, 0x40A0, 0x4080, 0x4084, 0x408C},
    {true, 0x40A4, 0, 2, 0x40A2, 0x4090, 0x4094, 0x409C},
    {true, 0x40C2, 0, 2, 0x40B3, 0x40B0, 0x40B4, 0x40BC},
    {true, 0x41D2, 0, 2, 0x41D3, 0x41D0, 0x41D4, 0x41DC},
}};
constexpr std::array<GeneratorRegisters, kSimGenerators> kFiber = {{
    {true, 0x4090, 7, 6, 0x4092, 0x40A0, 0x40A4, 0x40AC},
    {true, 0x4093, 7, 6, 0x4094, 0x40B0, 0x40B4, 0x40BC},
    {true, 0x4095, 7, 6, 0x4096, 0x40C0, 0x40C4, 0x40CC},
    {true, 0x4097, 7, 6, 0x4099, 0x40D0, 0x40D4, 0x40DC},
    {},
}};

// Main board: MAIN_CTRL_3 holds the generator selects, the DC motor kind and
// the X direction; the DC motor takes its table length from 0x4078.
constexpr std::uint16_t kMainCtrl3 = 0x400B;
constexpr int kMainM0Select = 7;
constexpr int kMainM1Select = 6;
constexpr int kMainDcBit = 3;
constexpr int kMainDirectionBit = 1;
constexpr std::uint16_t kMainDcTable = 0x4078;
constexpr std::uint16_t kMainM0Control = 0x40C0;
constexpr std::uint16_t kMainM1Control = 0x40C1;
constexpr std::uint16_t kMainY0Control = 0x40A1;
constexpr std::uint16_t kMainY1Control = 0x40A3;
// Fiber: selects in bit 5 of the M0 and M1 registers, directions in bit 4.
constexpr std::uint16_t kFiberM0Control = 0x4091;
constexpr std::uint16_t kFiberM1Control = 0x4098;
constexpr int kFiberSelect = 5;
constexpr int kFiberDirectionBit = 4;

constexpr std::uint16_t kLatchBase = 0x4008;  // + board * 0x100
constexpr std::uint16_t kCountBase = 0x407C;  // + board * 0x100
constexpr int kLatchBit = 3;
constexpr int kHeadBoards = 4;

bool Bit(std::uint8_t value, int bit) { return ((value >> bit) & 1u) != 0; }

const std::array<GeneratorRegisters, kSimGenerators>& Map(SimMotionLayout layout) {
    return layout == SimMotionLayout::kMainBoard ? kMainBoard : kFiber;
}

std::uint32_t Little(const SimRegisterFile& file, std::uint16_t address, int bytes) {
    std::uint32_t value = 0;
    for (int k = 0; k < bytes; ++k)
        value |= std::uint32_t{file.Raw(static_cast<std::uint16_t>(address + k))} << (8 * k);
    return value;
}

}  // namespace

SimMotors::SimMotors() = default;

void SimMotors::Install(SimRegisterFile& file) {
    for (std::uint16_t address : {0x400B, 0x40A4, 0x40C2, 0x41D2, 0x4090, 0x4093, 0x4095, 0x4097}) {
        file.AddHook({address,
                      address,
                      [this](SimRegisterFile& f, std::uint16_t a, std::uint8_t previous,
                             std::uint8_t value) { OnTrigger(f, a, previous, value); },
                      {},
                      true});
    }
    for (std::uint16_t address :
         {0x400F, 0x40A0, 0x40A2, 0x40B3, 0x41D3, 0x4092, 0x4094, 0x4096, 0x4099}) {
        file.AddHook({address,
                      address,
                      {},
                      [this](SimRegisterFile& f, std::uint16_t a, std::uint8_t stored) {
                          return OnStatus(f, a, stored);
                      }});
    }
    // The stored status registers hold what a host read answers, from power-up on:
    // the register file then shows the same controller to a host and to a look
    // at its contents.
    for (const GeneratorRegisters& r : Map(layout_)) {
        if (!r.present) continue;
        file.SetRaw(r.status, static_cast<std::uint8_t>(kIdle | kReasonEnd));
    }
    for (int board = 1; board <= kHeadBoards; ++board) {
        const auto address = static_cast<std::uint16_t>(kLatchBase + board * 0x100);
        file.AddHook({address,
                      address,
                      [this](SimRegisterFile& f, std::uint16_t a, std::uint8_t previous,
                             std::uint8_t value) { OnLatch(f, a, previous, value); },
                      {}});
    }
}

void SimMotors::SetLayout(SimMotionLayout layout) {
    std::lock_guard lock(mutex_);
    layout_ = layout;
}

SimMotionLayout SimMotors::Layout() const {
    std::lock_guard lock(mutex_);
    return layout_;
}

void SimMotors::SetClock(Clock clock) {
    std::lock_guard lock(mutex_);
    clock_ = std::move(clock);
}

void SimMotors::SetTimeScale(double scale) {
    std::lock_guard lock(mutex_);
    timeScale_ = scale >= 0.0 ? scale : 0.0;
}

void SimMotors::SetStuck(SimGenerator generator, bool stuck) {
    std::lock_guard lock(mutex_);
    const auto i = static_cast<std::size_t>(generator);
    Settle(i);
    generators_[i].stuck = stuck;
}

void SimMotors::SetLimitAfter(SimGenerator generator, std::optional<std::uint32_t> pulses) {
    std::lock_guard lock(mutex_);
    const auto i = static_cast<std::size_t>(generator);
    Settle(i);
    generators_[i].limit = pulses;
}

void SimMotors::SetHeadBoardOffset(int board, std::int32_t offset) {
    std::lock_guard lock(mutex_);
    if (board >= 1 && board <= kHeadBoards)
        headBoardOffsets_[static_cast<std::size_t>(board)] = offset;
}

void SimMotors::SetXPosition(std::uint32_t count) {
    std::lock_guard lock(mutex_);
    xPosition_ = count;
}

bool SimMotors::Moving(SimGenerator generator) const {
    std::lock_guard lock(mutex_);
    const auto i = static_cast<std::size_t>(generator);
    Settle(i);
    return generators_[i].active;
}

std::uint32_t SimMotors::Starts(SimGenerator generator) const {
    std::lock_guard lock(mutex_);
    return generators_[static_cast<std::size_t>(generator)].starts;
}

SimMove SimMotors::LastMove(SimGenerator generator) const {
    std::lock_guard lock(mutex_);
    return generators_[static_cast<std::size_t>(generator)].last;
}

std::uint8_t SimMotors::Status(SimGenerator generator) const {
    std::lock_guard lock(mutex_);
    const auto i = static_cast<std::size_t>(generator);
    Settle(i);
    return generators_[i].active ? 0 : generators_[i].status;
}

std::chrono::nanoseconds SimMotors::LastDuration(SimGenerator generator) const {
    std::lock_guard lock(mutex_);
    return generators_[static_cast<std::size_t>(generator)].duration;
}

std::uint32_t SimMotors::XPosition() const {
    std::lock_guard lock(mutex_);
    return CurrentX();
}

nanoseconds SimMotors::Now() const {
    if (clock_) return clock_();
    return std::chrono::duration_cast<nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

void SimMotors::OnTrigger(SimRegisterFile& file, std::uint16_t address, std::uint8_t previous,
                          std::uint8_t value) {
    std::lock_guard lock(mutex_);
    const auto& map = Map(layout_);
    for (std::size_t i = 0; i < kSimGenerators; ++i) {
        const GeneratorRegisters& r = map[i];
        if (!r.present || r.trigger != address) continue;
        if (Bit(value, r.stopBit)) {
            Stop(i);
        } else if (Bit(value, r.startBit) && !Bit(previous, r.startBit)) {
            Start(file, i);
        }
    }
}

std::uint8_t SimMotors::OnStatus(SimRegisterFile& file, std::uint16_t address,
                                 std::uint8_t stored) {
    std::lock_guard lock(mutex_);
    const auto& map = Map(layout_);
    for (std::size_t i = 0; i < kSimGenerators; ++i) {
        if (!map[i].present || map[i].status != address) continue;
        Settle(i);
        const std::uint8_t nibble = generators_[i].active ? 0 : generators_[i].status;
        const auto answer = static_cast<std::uint8_t>((stored & 0xF0) | nibble);
        file.SetRaw(address, answer);  // what was answered is what the register holds
        return answer;
    }
    return stored;
}

void SimMotors::OnLatch(SimRegisterFile& file, std::uint16_t address, std::uint8_t previous,
                        std::uint8_t value) {
    if (!Bit(value, kLatchBit) || Bit(previous, kLatchBit)) return;
    std::lock_guard lock(mutex_);
    const int board = (address - kLatchBase) / 0x100;
    if (layout_ == SimMotionLayout::kMainBoard && board != 1) return;
    for (std::size_t i = 0; i < kSimGenerators; ++i) Settle(i);
    const std::uint32_t count =
        CurrentX() + static_cast<std::uint32_t>(headBoardOffsets_[static_cast<std::size_t>(board)]);
    const auto base = static_cast<std::uint16_t>(kCountBase + board * 0x100);
    for (int k = 0; k < 4; ++k)
        file.SetRaw(static_cast<std::uint16_t>(base + k),
                    static_cast<std::uint8_t>(count >> (8 * k)));
}

void SimMotors::Start(SimRegisterFile& file, std::size_t index) {
    Settle(index);
    Generator& g = generators_[index];
    const nanoseconds now = Now();
    if (g.active) Finish(g, PulsesDone(g, now), kReasonStopped);  // started anew while moving

    const GeneratorRegisters& r = Map(layout_)[index];
    const bool main = layout_ == SimMotionLayout::kMainBoard;
    const auto generator = static_cast<SimGenerator>(index);
    SimMove move;
    std::uint16_t table = r.table;
    switch (generator) {
        case SimGenerator::kX0: {
            const bool m0 = main ? Bit(file.Raw(kMainCtrl3), kMainM0Select)
                                 : Bit(file.Raw(kFiberM0Control), kFiberSelect);
            const bool dc = main && !m0 && Bit(file.Raw(kMainCtrl3), kMainDcBit);
            move.motor = m0 ? SimMotor::kM0 : (dc ? SimMotor::kXDc : SimMotor::kX);
            if (dc) table = kMainDcTable;
            if (main)
                move.towardsEnd =
                    Bit(file.Raw(m0 ? kMainM0Control : kMainCtrl3), kMainDirectionBit);
            else
                move.towardsEnd =
                    Bit(file.Raw(m0 ? kFiberM0Control : r.trigger), kFiberDirectionBit);
            break;
        }
        case SimGenerator::kY0:
        case SimGenerator::kY1: {
            const bool y0 = generator == SimGenerator::kY0;
            move.motor = y0 ? SimMotor::kY0 : SimMotor::kY1;
            move.towardsEnd =
                main ? Bit(file.Raw(y0 ? kMainY0Control : kMainY1Control), kMainDirectionBit)
                     : Bit(file.Raw(r.trigger), kFiberDirectionBit);
            break;
        }
        case SimGenerator::kZ1:
        case SimGenerator::kZ1Head: {
            const bool m1 = main ? Bit(file.Raw(kMainCtrl3), kMainM1Select)
                                 : Bit(file.Raw(kFiberM1Control), kFiberSelect);
            move.motor = m1 ? SimMotor::kM1 : SimMotor::kZ;
            if (main)
                move.towardsEnd = Bit(file.Raw(m1 ? kMainM1Control : r.trigger), kMainDirectionBit);
            else
                move.towardsEnd =
                    Bit(file.Raw(m1 ? kFiberM1Control : r.trigger), kFiberDirectionBit);
            break;
        }
    }
    move.table = static_cast<std::uint16_t>(Little(file, table, 2));
    move.length = Little(file, r.length, 4);
    move.divisor = Little(file, r.divisor, 4);

    double seconds = 0.0;
    if (move.divisor != 0 && move.length != 0) {
        const double rate = move.motor == SimMotor::kXDc
                                ? static_cast<double>(move.divisor >> 16)
                                : std::sqrt(std::max<double>(move.table, 1.0)) * 100000000.0 *
                                      65536.0 / (static_cast<double>(move.divisor) * 255.0);
        seconds = rate > 0.0 ? move.length / rate : 0.0;
    }
    const double ns =
        std::min(seconds * timeScale_ * 1e9, static_cast<double>(kLongestMove.count()));

    g.active = true;
    g.start = now;
    g.duration = nanoseconds(static_cast<std::int64_t>(ns));
    g.distance = move.length;
    g.countsX = move.motor == SimMotor::kX || move.motor == SimMotor::kXDc;
    g.last = move;
    ++g.starts;
    Settle(index);  // a move of no length or no duration is over at once
}

void SimMotors::Stop(std::size_t index) {
    Settle(index);
    Generator& g = generators_[index];
    if (g.active) Finish(g, PulsesDone(g, Now()), kReasonStopped);
}

std::uint32_t SimMotors::PulsesDone(const Generator& g, nanoseconds now) const {
    if (g.duration.count() <= 0) return g.distance;
    const double part = static_cast<double>((now - g.start).count()) / g.duration.count();
    if (part >= 1.0) return g.distance;
    if (part <= 0.0) return 0;
    return static_cast<std::uint32_t>(g.distance * part);
}

void SimMotors::Settle(std::size_t index) const {
    Generator& g = generators_[index];
    if (!g.active || g.stuck) return;
    const std::uint32_t done = PulsesDone(g, Now());
    if (g.limit && *g.limit < g.distance) {
        if (done >= *g.limit) Finish(g, *g.limit, kReasonLimit);
        return;
    }
    if (done >= g.distance) Finish(g, g.distance, kReasonEnd);
}

void SimMotors::Finish(Generator& g, std::uint32_t pulses, std::uint8_t reason) const {
    g.active = false;
    g.status = static_cast<std::uint8_t>(kIdle | reason);
    if (!g.countsX) return;
    if (g.last.towardsEnd)
        xPosition_ += pulses;
    else
        xPosition_ = pulses > xPosition_ ? 0 : xPosition_ - pulses;
}

std::uint32_t SimMotors::CurrentX() const {
    const Generator& x = generators_[static_cast<std::size_t>(SimGenerator::kX0)];
    if (!x.active || !x.countsX) return xPosition_;
    const std::uint32_t done = PulsesDone(x, Now());
    if (x.last.towardsEnd) return xPosition_ + done;
    return done > xPosition_ ? 0 : xPosition_ - done;
}

}  // namespace velmor::sim
