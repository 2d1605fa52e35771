#include "cleaning/panel_packets.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "cleaning/clean_field_names.h"
#include "cleaning/machine_models.h"
#include "cleaning/panel_messages.h"
#include "cleaning/panel_units.h"

namespace velmor::cleaning {

namespace {

using controller::CleanParams;

constexpr std::int64_t kMinWiperGap = 100;
constexpr std::uint32_t kStationMarker = 10;
constexpr std::uint16_t kSolenoidWiperValue = 10;
constexpr double kFirstPairCapMm = 110.0;
constexpr double kGearScale = 1000.0;

// Collects a packet's payload. Every value is checked against its field before
// it becomes an integer; the first one that does not fit is remembered and the
// packet is not sent.
class PayloadWriter {
  public:
    // Unsigned fields: the value truncated toward zero must lie in 0..max.
    std::uint32_t Fit32(double value, const FieldName& name) {
        return static_cast<std::uint32_t>(Fit(value, 0.0, 4294967295.0, name));
    }
    std::uint16_t Fit16(double value, const FieldName& name) {
        return static_cast<std::uint16_t>(Fit(value, 0.0, 65535.0, name));
    }
    std::uint8_t Fit8(double value, const FieldName& name) {
        return static_cast<std::uint8_t>(Fit(value, 0.0, 255.0, name));
    }
    // A DC level or frequency: a 16-bit register the panel may read signed, so
    // -32768..65535 keep their low 16 bits.
    std::uint16_t FitRegister16(std::int32_t value, const FieldName& name) {
        return static_cast<std::uint16_t>(
            static_cast<std::int64_t>(Fit(value, -32768.0, 65535.0, name)) & 0xFFFF);
    }
    // A signed 16-bit value sign-extended to 32 bits.
    std::uint32_t FitSignExtended16(std::int32_t value, const FieldName& name) {
        const auto v = static_cast<std::int32_t>(Fit(value, -32768.0, 32767.0, name));
        return static_cast<std::uint32_t>(v);
    }

    void Put8(std::uint8_t v) { bytes_.push_back(v); }
    void Put16(std::uint16_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void Put32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
    }
    // An acceleration and its timing constant.
    void PutPair(std::uint16_t acceleration, std::uint32_t speed) {
        Put16(acceleration);
        Put32(TimingConstant(acceleration, speed));
    }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    const FieldName* Refused() const { return refused_; }

  private:
    double Fit(double value, double low, double high, const FieldName& name) {
        const double whole = std::trunc(value);
        if (whole >= low && whole <= high) return whole;  // false for a NaN as well
        if (refused_ == nullptr) refused_ = &name;
        return 0.0;
    }

    std::vector<std::uint8_t> bytes_;
    const FieldName* refused_ = nullptr;
};

struct Units {
    std::uint16_t resolution;
    double xGear;
    double yGear;

    double Counts(double mm) const { return MmToCounts(std::trunc(mm), resolution); }
    double Pulses(double mm) const { return MmToPulses(std::trunc(mm), resolution, xGear); }
    double Feed(double value) const { return FeedValue(std::trunc(value), yGear); }
};

bool GearValid(double gear) { return std::isfinite(gear) && gear > 0.0; }

void PutGeneral(const CleanParams& p, const Units& u, PayloadWriter& w) {
    const bool twoHeads = p.byMotoHead == kTwoHeads;
    const bool lifting = p.byStackType == kStackLifting;
    const bool dc = p.byMotorType == kMotorDc;
    // The DC carriage counts encoder steps at whole millimetres, not pulses.
    auto carriage = [&](std::uint32_t pulses, const FieldName& name) -> std::uint32_t {
        if (!dc) return pulses;
        return w.Fit32(DcCarriagePosition(pulses, u.resolution, u.xGear), name);
    };
    w.Put32(carriage(p.uiCarleaveclear1, kWiper1));
    w.Put32(twoHeads ? carriage(p.uiCarleaveclear2, kWiper2) : 0);
    w.Put32(carriage(p.uiCarmoveblow1, kScrape1));
    w.Put32(twoHeads ? carriage(p.uiCarmoveblow2, kScrape2) : 0);

    const bool marked = p.byStackType == kStackSliding || p.byMotoType == kWiperSolenoid;
    w.Put32(marked ? kStationMarker : 0);
    w.Put32(marked ? kStationMarker : 0);

    const bool downFirst =
        p.byMachineType == kMachineTessaly || p.byMachineType == kMachineNewPanel;
    w.Put32(lifting ? p.uiFlashMoto0Up : 0);
    w.Put32(lifting ? (downFirst ? p.uiMoto0movedown : p.uiMoto0moveup) : 0);
    w.Put32(lifting ? p.uiMoto0moveupblow : 0);
    w.Put32(lifting ? p.uiNoclearmoveup : 0);

    const double flashMm = lifting ? p.uiCarbackclear : static_cast<double>(p.uiCarCleanPos);
    const FieldName& flashName = lifting ? kFlashDistance : kCleanPos;
    w.Put32(w.Fit32(dc ? u.Counts(flashMm) : u.Pulses(flashMm), flashName));
    w.Put32(w.Fit32(u.Pulses(p.uiMaxDistanceOfXMove), kTravel));
}

void PutTimes(const CleanParams& p, PayloadWriter& w) {
    for (std::size_t i = 0; i < 10; ++i) w.Put16(w.Fit16(p.uiTimeConsuming[i], kTimes[i]));
    w.Put8(w.Fit8(p.uiTimeConsuming[10], kTimes[10]));
}

// The wiper pair is fixed at 10 and 10 for a solenoid wiper.
void PutWiperPair(const CleanParams& p, PayloadWriter& w) {
    if (p.byMotoType == kWiperSolenoid) {
        w.Put16(kSolenoidWiperValue);
        w.Put32(kSolenoidWiperValue);
        return;
    }
    w.PutPair(w.Fit16(p.uiMoto1AcceDistance, kWiperAcc), p.uiMoto1SpeedMax);
}

void PutPlatformPair(const CleanParams& p, PayloadWriter& w) {
    w.PutPair(w.Fit16(p.uiMoto0AcceDistance, kPlatformAcc), p.uiMoto0SpeedMax);
}

void PutFeedPair(const Units& u, double speed, const FieldName& speedName, const CleanParams& p,
                 PayloadWriter& w) {
    const std::uint16_t a = w.Fit16(u.Feed(p.fMaxYAcceDistance), kYAccDistance);
    w.PutPair(a, w.Fit32(u.Feed(speed), speedName));
}

void PutStepperMotion(const CleanParams& p, const Units& u, PayloadWriter& w) {
    const std::uint16_t a1 = w.Fit16(u.Pulses(p.fCarMoveAccDistance), kCarAccTime);
    w.PutPair(a1, w.Fit32(u.Pulses(p.uiCarMoveSpeed), kCarSpeed));
    PutWiperPair(p, w);
    if (p.byStackType == kStackLifting) {
        PutPlatformPair(p, w);
    } else {
        w.Put16(0);
        w.Put32(0);
    }
    // The manual move accelerates over at most 110 mm; the print move over the whole distance.
    const double capped = std::min<double>(std::trunc(p.dbXAcceDistance), kFirstPairCapMm);
    const std::uint16_t a4 = w.Fit16(u.Pulses(capped), kXAccDistance);
    w.PutPair(a4, w.Fit32(u.Pulses(p.fXMoveSpeedWhenReady), kXManualSpeed));
    PutFeedPair(u, p.fYMoveSpeedWhenReady, kYManualSpeed, p, w);
    w.Put32(w.Fit32(u.xGear * kGearScale, kXGear));
    w.Put32(w.Fit32(u.yGear * kGearScale, kYGear));
    const std::uint16_t a6 = w.Fit16(u.Pulses(p.dbXAcceDistance), kXAccDistance);
    w.PutPair(a6, w.Fit32(u.Pulses(p.fXMoveSpeed), kXPrintSpeed));
    PutFeedPair(u, p.fYMoveSpeed, kYPrintSpeed, p, w);
}

void PutDcMotion(const CleanParams& p, const Units& u, PayloadWriter& w) {
    const std::uint16_t accCounts = w.Fit16(u.Counts(p.dbXAcceDistance), kXAccDistance);
    w.Put16(accCounts);
    w.Put16(w.FitRegister16(p.nDcEndLeveluiDcCarMoveSpeed, kCleanEndLevel));
    w.Put16(w.FitRegister16(p.nDcFrequencyLow, kLowFrequency));
    PutWiperPair(p, w);
    PutPlatformPair(p, w);
    w.Put16(accCounts);
    w.Put16(w.FitRegister16(p.nDcEndLevelLow, kLowEndLevel));
    w.Put16(w.FitRegister16(p.nDcFrequencyLow, kLowFrequency));
    PutFeedPair(u, p.fYMoveSpeedWhenReady, kYManualSpeed, p, w);
    w.Put32(w.FitSignExtended16(p.nDcStartLevel, kStartLevel));
    w.Put32(w.Fit32(u.yGear * kGearScale, kYGear));
    w.Put16(accCounts);
    w.Put16(w.FitRegister16(p.nDcEndLevelMid, kMidEndLevel));
    w.Put16(w.FitRegister16(p.nDcFrequencyMid, kMidFrequency));
    PutFeedPair(u, p.fYMoveSpeed, kYPrintSpeed, p, w);
}

std::string OutOfRange(const FieldName& name, controller::Language language) {
    if (controller::English(language))
        return std::string(kOutOfRangeText.english) + std::string(name.key);
    return std::string(name.caption) + std::string(kOutOfRangeText.chinese);
}

}  // namespace

bool WiperPositionsValid(const CleanParams& params) {
    auto before = [](std::uint32_t wiper, std::uint32_t scrape) {
        return static_cast<std::int64_t>(wiper) - static_cast<std::int64_t>(scrape) < -kMinWiperGap;
    };
    if (!before(params.uiCarleaveclear1, params.uiCarmoveblow1)) return false;
    return params.byMotoHead != kTwoHeads || before(params.uiCarleaveclear2, params.uiCarmoveblow2);
}

PanelFrames BuildPanelFrames(const CleanParams& params, std::uint16_t resolution,
                             controller::Language language) {
    PanelFrames out;
    if (!WiperPositionsValid(params)) {
        out.error = kWiperOrderText.In(language);
        return out;
    }
    // A gear ratio of 0 would send every distance as 0 pulses and divide by zero
    // for the DC carriage.
    for (const auto& [gear, name] : {std::pair{params.dbXMotorGearRate, &kXGear},
                                     std::pair{params.dbYMotorGearRate, &kYGear}}) {
        if (!GearValid(gear)) {
            out.error = OutOfRange(*name, language);
            return out;
        }
    }

    const Units units{resolution, params.dbXMotorGearRate, params.dbYMotorGearRate};
    struct Packet {
        std::uint8_t type;
        PayloadWriter writer;
    };
    std::vector<Packet> packets;
    packets.push_back({kGeneralType, {}});
    PutGeneral(params, units, packets.back().writer);
    if (params.byMachineType == kMachineNewPanel) {
        packets.push_back({kTimesType, {}});
        PutTimes(params, packets.back().writer);
    }
    if (params.byMotorType == kMotorDc) {
        packets.push_back({kDcType, {}});
        PutDcMotion(params, units, packets.back().writer);
    } else {
        packets.push_back({kStepperType, {}});
        PutStepperMotion(params, units, packets.back().writer);
    }

    for (const Packet& packet : packets) {
        if (const FieldName* refused = packet.writer.Refused()) {
            out.error = OutOfRange(*refused, language);
            return out;
        }
    }
    for (const Packet& packet : packets)
        out.frames.push_back(MakeFrame(packet.type, packet.writer.Bytes()));
    return out;
}

}  // namespace velmor::cleaning
