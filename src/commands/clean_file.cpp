#include "commands/clean_file.h"

#include <limits>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace velmor::commands {
namespace {

using controller::CleanParams;

// The slot of "uiTimeConsuming" (0) .. "uiTimeConsuming10" (10).
struct TimeSlot {
    int index;
};

using FieldRef = std::variant<std::uint32_t CleanParams::*, std::int32_t CleanParams::*,
                              std::uint8_t CleanParams::*, float CleanParams::*,
                              double CleanParams::*, TimeSlot>;

// How a value enters the checksum.
enum class Sum {
    None,       // not covered
    Pair,       // low 16 bits, high byte first
    FloatByte,  // truncated to an integer, low byte
    Scaled4,    // value x 100000 truncated to 32 bits, four bytes high to low
    Scaled6,    // the same with two sign bytes in front
    Byte,       // the byte as it is
};

struct Field {
    const char* section;
    std::string key;
    FieldRef ref;
    Sum sum;
    int pos;
};

constexpr const char* kClear = "PARAMS_CLEAR";
constexpr const char* kMoment = "PARAMS_MOMENT";
constexpr const char* kClear2 = "PARAMS_CLEAR2";

// Every key in write order with its checksum position.
std::vector<Field> BuildFields() {
    using P = CleanParams;
    std::vector<Field> f = {
        {kClear, "uiCarleaveclear1", &P::uiCarleaveclear1, Sum::Pair, 0},
        {kClear, "uiCarmoveblow1", &P::uiCarmoveblow1, Sum::Pair, 2},
        {kClear, "uiCarleaveclear2", &P::uiCarleaveclear2, Sum::Pair, 4},
        {kClear, "uiCarmoveblow2", &P::uiCarmoveblow2, Sum::Pair, 6},
        {kClear, "fCarMoveAccDistance", &P::fCarMoveAccDistance, Sum::FloatByte, 8},
        {kClear, "uiCarMoveSpeed", &P::uiCarMoveSpeed, Sum::Pair, 9},
        {kClear, "uiCarbackclear", &P::uiCarbackclear, Sum::Scaled6, 11},
        {kClear, "uiCarCleanPos", &P::uiCarCleanPos, Sum::None, -1},
        {kClear, "uiMoto1moveout", &P::uiMoto1moveout, Sum::Pair, 17},
        {kClear, "uiMoto1movein", &P::uiMoto1movein, Sum::Pair, 19},
        {kClear, "uiMoto1moveout2", &P::uiMoto1moveout2, Sum::Pair, 21},
        {kClear, "uiMoto1movein2", &P::uiMoto1movein2, Sum::Pair, 23},
        {kClear, "uiMoto1AcceDistance", &P::uiMoto1AcceDistance, Sum::Pair, 25},
        {kClear, "uiMoto1SpeedMax", &P::uiMoto1SpeedMax, Sum::Pair, 27},
        {kClear, "uiFlashMoto0Up", &P::uiFlashMoto0Up, Sum::Pair, 29},
        {kClear, "uiMoto0movedown", &P::uiMoto0movedown, Sum::Pair, 31},
        {kClear, "uiMoto0moveupblow", &P::uiMoto0moveupblow, Sum::Pair, 33},
        {kClear, "uiMoto0moveup", &P::uiMoto0moveup, Sum::Pair, 35},
        {kClear, "uiNoclearmoveup", &P::uiNoclearmoveup, Sum::Pair, 37},
        {kClear, "uiMoto0AcceDistance", &P::uiMoto0AcceDistance, Sum::Pair, 39},
        {kClear, "uiMoto0SpeedMax", &P::uiMoto0SpeedMax, Sum::Pair, 41},
        {kMoment, "dbXMotorGearRate", &P::dbXMotorGearRate, Sum::Scaled4, 43},
        {kMoment, "dbYMotorGearRate", &P::dbYMotorGearRate, Sum::Scaled4, 47},
        {kMoment, "uiMaxDistanceOfXMove", &P::uiMaxDistanceOfXMove, Sum::Pair, 51},
        {kMoment, "fXMoveSpeed", &P::fXMoveSpeed, Sum::FloatByte, 53},
        {kMoment, "fYMoveSpeed", &P::fYMoveSpeed, Sum::FloatByte, 54},
        {kMoment, "byMachineType", &P::byMachineType, Sum::Byte, 55},
        {kMoment, "dbXAcceDistance", &P::dbXAcceDistance, Sum::FloatByte, 72},
        {kMoment, "fYMoveSpeedWhenReady", &P::fYMoveSpeedWhenReady, Sum::FloatByte, 73},
        {kMoment, "fXMoveSpeedWhenReady", &P::fXMoveSpeedWhenReady, Sum::FloatByte, 74},
        {kMoment, "fMaxYAcceDistance", &P::fMaxYAcceDistance, Sum::FloatByte, 75},
        {kMoment, "nDcEndLeveluiDcCarMoveSpeed", &P::nDcEndLeveluiDcCarMoveSpeed, Sum::Pair, 56},
        {kMoment, "nDcStartLevel", &P::nDcStartLevel, Sum::Pair, 58},
        {kMoment, "nDcEndLevelLow", &P::nDcEndLevelLow, Sum::Pair, 60},
        {kMoment, "nDcEndLevelMid", &P::nDcEndLevelMid, Sum::Pair, 62},
        {kMoment, "nDcFrequencyLow", &P::nDcFrequencyLow, Sum::Pair, 64},
        {kMoment, "nDcFrequencyMid", &P::nDcFrequencyMid, Sum::Pair, 66},
        {kMoment, "byStackType", &P::byStackType, Sum::Byte, 68},
        {kMoment, "byMotoType", &P::byMotoType, Sum::Byte, 69},
        {kMoment, "byMotoHead", &P::byMotoHead, Sum::Byte, 70},
        {kMoment, "byMotorType", &P::byMotorType, Sum::Byte, 71},
    };
    for (int i = 0; i <= 10; ++i) {
        f.push_back({kClear2, i == 0 ? "uiTimeConsuming" : "uiTimeConsuming" + std::to_string(i),
                     TimeSlot{i}, Sum::Pair, 76 + 2 * i});
    }
    return f;
}

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = BuildFields();
    return fields;
}

bool InDcBlock(std::size_t pos) { return (pos >= 56 && pos <= 67) || pos == 71; }

template <typename T>
constexpr bool kIsReal = std::is_floating_point_v<T>;

// The field's value as a double (integers exactly), for the checksum.
double Value(const CleanParams& p, const FieldRef& ref) {
    return std::visit(
        [&p](auto r) -> double {
            if constexpr (std::is_same_v<decltype(r), TimeSlot>) {
                return p.uiTimeConsuming[static_cast<std::size_t>(r.index)];
            } else {
                return static_cast<double>(p.*r);
            }
        },
        ref);
}

void PutBytes(std::array<std::uint8_t, CleanFile::kChecksumBytes>& out, int pos, std::uint32_t v,
              int count) {
    for (int i = 0; i < count; ++i) {
        out[static_cast<std::size_t>(pos + i)] =
            static_cast<std::uint8_t>(v >> (8 * (count - 1 - i)));
    }
}

}  // namespace

std::int32_t CleanFile::TruncToInt32(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0)) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

std::array<std::uint8_t, CleanFile::kChecksumBytes> CleanFile::ChecksumBytes(
    const CleanParams& params) {
    std::array<std::uint8_t, kChecksumBytes> bytes{};
    for (const Field& f : Fields()) {
        const double v = Value(params, f.ref);
        switch (f.sum) {
            case Sum::None:
                break;
            case Sum::Pair:
                // Integers of every width keep their low 16 bits.
                PutBytes(bytes, f.pos, static_cast<std::uint32_t>(static_cast<std::int64_t>(v)), 2);
                break;
            case Sum::FloatByte:
                PutBytes(bytes, f.pos, static_cast<std::uint32_t>(TruncToInt32(v)), 1);
                break;
            case Sum::Byte:
                PutBytes(bytes, f.pos, static_cast<std::uint32_t>(v), 1);
                break;
            case Sum::Scaled4:
                PutBytes(bytes, f.pos, static_cast<std::uint32_t>(TruncToInt32(v * 100000.0)), 4);
                break;
            case Sum::Scaled6: {
                const std::int32_t s = TruncToInt32(v * 100000.0);
                const std::uint32_t sign = s < 0 ? 0xFFFF : 0;
                PutBytes(bytes, f.pos, sign, 2);
                PutBytes(bytes, f.pos + 2, static_cast<std::uint32_t>(s), 4);
                break;
            }
        }
    }
    return bytes;
}

void CleanFile::Gather(const CleanParams& params, ChecksumBuffer& sum) {
    const auto bytes = ChecksumBytes(params);
    const bool withDc = params.nDcStartLevel != -1;
    sum.Clear();
    for (std::size_t pos = 0; pos < bytes.size(); ++pos) {
        if (withDc || !InDcBlock(pos)) sum.Append(bytes[pos]);
    }
}

bool CleanFile::Load(const ini::CIniFile& ini, CleanParams& params, ChecksumBuffer& sum) {
    const CleanParams defaults;
    for (const Field& f : Fields()) {
        std::visit(
            [&](auto r) {
                if constexpr (std::is_same_v<decltype(r), TimeSlot>) {
                    const auto i = static_cast<std::size_t>(r.index);
                    params.uiTimeConsuming[i] = static_cast<std::uint32_t>(ini.ReadInt(
                        f.section, f.key, static_cast<int>(defaults.uiTimeConsuming[i])));
                } else {
                    using T = std::remove_reference_t<decltype(params.*r)>;
                    if constexpr (kIsReal<T>) {
                        params.*r = static_cast<T>(
                            ini.ReadDouble(f.section, f.key, static_cast<double>(defaults.*r)));
                    } else {
                        params.*r = static_cast<T>(static_cast<std::uint32_t>(
                            ini.ReadInt(f.section, f.key, static_cast<int>(defaults.*r))));
                    }
                }
            },
            f.ref);
    }
    // The loaded start level stays in memory: setting it to 0 here would lose it for the
    // next download and save.
    Gather(params, sum);
    const auto stored = static_cast<std::uint16_t>(ini.ReadInt("AllCleanInfo", "CRC16", 0));
    return stored == 0 || stored == sum.Crc();
}

void CleanFile::Save(ini::CIniFile& ini, const CleanParams& params, ChecksumBuffer& sum) {
    for (const Field& f : Fields()) {
        std::visit(
            [&](auto r) {
                if constexpr (std::is_same_v<decltype(r), TimeSlot>) {
                    ini.WriteInt(f.section, f.key,
                                 static_cast<int>(
                                     params.uiTimeConsuming[static_cast<std::size_t>(r.index)]));
                } else {
                    using T = std::remove_reference_t<decltype(params.*r)>;
                    if constexpr (kIsReal<T>) {
                        ini.WriteDouble(f.section, f.key, static_cast<double>(params.*r));
                    } else {
                        ini.WriteInt(f.section, f.key, static_cast<int>(params.*r));
                    }
                }
            },
            f.ref);
    }
    // The checksum is taken from the values as the next load will read them: a real
    // written with six decimals can read back slightly different from the value in
    // memory (0.9999999 is written "1.000000"), and a checksum over the unrounded value
    // would then fail on the file's own load. The same rule also decides the DC block,
    // so a set without DC values (start level -1) reloads with a matching checksum.
    // The load gathers those bytes into `sum`; its checksum test is of no use here.
    CleanParams asRead;
    Load(ini, asRead, sum);
    ini.WriteInt("AllCleanInfo", "CRC16", sum.Crc());
}

}  // namespace velmor::commands
