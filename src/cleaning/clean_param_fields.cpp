#include "cleaning/clean_param_fields.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "cleaning/clean_field_names.h"
#include "cleaning/clean_page_texts.h"
#include "numbers/number_text.h"

namespace velmor::cleaning {

namespace {

using controller::CleanParams;

enum class Scope { Always, Times, DcLevels };
// Decimals of a real value's text.
constexpr int kSixDecimals = 6;
constexpr int kNoDecimals = 0;

// Every value of the set with its field, its name, when controls to params reads
// it and, for reals, its decimals. One list for both directions.
template <typename Fields, typename Params, typename Visit>
void ForEachValue(Fields& f, Params& p, Visit&& visit) {
    const Scope all = Scope::Always;
    visit(f.carWiper1, p.uiCarleaveclear1, kWiper1, all, 0);
    visit(f.carWiper2, p.uiCarleaveclear2, kWiper2, all, 0);
    visit(f.carScrape1, p.uiCarmoveblow1, kScrape1, all, 0);
    visit(f.carScrape2, p.uiCarmoveblow2, kScrape2, all, 0);
    visit(f.carAccTime, p.fCarMoveAccDistance, kCarAccTime, all, kSixDecimals);
    visit(f.carSpeed, p.uiCarMoveSpeed, kCarSpeed, all, 0);
    visit(f.flashDistance, p.uiCarbackclear, kFlashDistance, all, kSixDecimals);
    visit(f.cleanPos, p.uiCarCleanPos, kCleanPos, all, 0);
    visit(f.wiperOut1, p.uiMoto1moveout, kWiperOut1, all, 0);
    visit(f.wiperIn1, p.uiMoto1movein, kWiperIn1, all, 0);
    visit(f.wiperOut2, p.uiMoto1moveout2, kWiperOut2, all, 0);
    visit(f.wiperIn2, p.uiMoto1movein2, kWiperIn2, all, 0);
    visit(f.wiperAcc, p.uiMoto1AcceDistance, kWiperAcc, all, 0);
    visit(f.wiperSpeed, p.uiMoto1SpeedMax, kWiperSpeed, all, 0);
    visit(f.platformFlash, p.uiFlashMoto0Up, kPlatformFlash, all, 0);
    visit(f.platformDown, p.uiMoto0movedown, kPlatformDown, all, 0);
    visit(f.platformScrape, p.uiMoto0moveup, kPlatformScrape, all, 0);
    visit(f.platformAcc, p.uiMoto0AcceDistance, kPlatformAcc, all, 0);
    visit(f.platformSuck, p.uiMoto0moveupblow, kPlatformSuck, all, 0);
    visit(f.platformUp, p.uiNoclearmoveup, kPlatformUp, all, 0);
    visit(f.platformSpeed, p.uiMoto0SpeedMax, kPlatformSpeed, all, 0);
    visit(f.xGear, p.dbXMotorGearRate, kXGear, all, kSixDecimals);
    visit(f.yGear, p.dbYMotorGearRate, kYGear, all, kSixDecimals);
    visit(f.travel, p.uiMaxDistanceOfXMove, kTravel, all, 0);
    visit(f.xPrintSpeed, p.fXMoveSpeed, kXPrintSpeed, all, kNoDecimals);
    visit(f.yPrintSpeed, p.fYMoveSpeed, kYPrintSpeed, all, kNoDecimals);
    // The f32 distance keeps the file key of a double, "dbXAcceDistance".
    visit(f.xAccDistance, p.dbXAcceDistance, kXAccDistance, all, kNoDecimals);
    visit(f.xManualSpeed, p.fXMoveSpeedWhenReady, kXManualSpeed, all, kNoDecimals);
    visit(f.yManualSpeed, p.fYMoveSpeedWhenReady, kYManualSpeed, all, kNoDecimals);
    visit(f.yAccDistance, p.fMaxYAcceDistance, kYAccDistance, all, kNoDecimals);
    const Scope dc = Scope::DcLevels;
    visit(f.dcCleanEnd, p.nDcEndLeveluiDcCarMoveSpeed, kCleanEndLevel, dc, 0);
    visit(f.dcStart, p.nDcStartLevel, kStartLevel, dc, 0);
    visit(f.dcLowEnd, p.nDcEndLevelLow, kLowEndLevel, dc, 0);
    visit(f.dcMidEnd, p.nDcEndLevelMid, kMidEndLevel, dc, 0);
    visit(f.dcLowFrequency, p.nDcFrequencyLow, kLowFrequency, dc, 0);
    visit(f.dcMidFrequency, p.nDcFrequencyMid, kMidFrequency, dc, 0);
    for (std::size_t i = 0; i < kTimes.size(); ++i)
        visit(f.times[i], p.uiTimeConsuming[i], kTimes[i], Scope::Times, 0);
}

// printf's "%.*f" in the "C" locale.
std::string FixedText(double value, int decimals) {
    std::array<char, 400> buffer{};  // the largest double has 309 digits
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    return error == std::errc() ? std::string(buffer.data(), end) : std::string();
}

std::string Named(const controller::BilingualText& text, const FieldName& name,
                  controller::Language language) {
    if (controller::English(language)) return std::string(text.english) + std::string(name.key);
    return std::string(name.caption) + std::string(text.chinese);
}

template <typename T>
std::string WholeNumberMessage(const FieldName& name, controller::Language language) {
    const std::string low = std::to_string(std::numeric_limits<T>::min());
    const std::string high = std::to_string(std::numeric_limits<T>::max());
    const std::string range =
        numbers::Format(kWholeNumberText.In(language).data(), low.c_str(), high.c_str());
    if (controller::English(language)) return range + std::string(name.key);
    return std::string(name.caption) + range;
}

struct Show {
    void operator()(ui::TextField& field, std::uint32_t value, const FieldName&, Scope, int) const {
        field.text = std::to_string(value);
    }
    void operator()(ui::TextField& field, std::int32_t value, const FieldName&, Scope, int) const {
        field.text = std::to_string(value);
    }
    void operator()(ui::TextField& field, double value, const FieldName&, Scope,
                    int decimals) const {
        field.text = FixedText(value, decimals);
    }
};

class Take {
  public:
    Take(TakeScope scope, controller::Language language) : scope_(scope), language_(language) {}

    void operator()(const ui::TextField& field, std::uint32_t& value, const FieldName& name,
                    Scope scope, int) {
        if (!Reads(scope)) return;
        if (const auto read = numbers::FieldUnsigned(field.text)) {
            value = *read;
        } else {
            Refuse(WholeNumberMessage<std::uint32_t>(name, language_));
        }
    }
    void operator()(const ui::TextField& field, std::int32_t& value, const FieldName& name,
                    Scope scope, int) {
        if (!Reads(scope)) return;
        if (const auto read = numbers::FieldSigned(field.text)) {
            value = *read;
        } else {
            Refuse(WholeNumberMessage<std::int32_t>(name, language_));
        }
    }
    void operator()(const ui::TextField& field, double& value, const FieldName& name, Scope scope,
                    int) {
        if (!Reads(scope)) return;
        if (const auto read = numbers::FieldReal(field.text)) {
            value = *read;
        } else {
            Refuse(Named(kNotANumberText, name, language_));
        }
    }
    // An f32 value: beyond the float range the conversion would be undefined.
    void operator()(const ui::TextField& field, float& value, const FieldName& name, Scope scope,
                    int) {
        if (!Reads(scope)) return;
        const auto read = numbers::FieldReal(field.text);
        if (!read) {
            Refuse(Named(kNotANumberText, name, language_));
        } else if (std::fabs(*read) > std::numeric_limits<float>::max()) {
            Refuse(Named(kOutOfRangeText, name, language_));
        } else {
            value = static_cast<float>(*read);
        }
    }

    const std::string& Error() const { return error_; }

  private:
    bool Reads(Scope scope) const {
        if (!error_.empty()) return false;  // the first refusal is the one reported
        return scope == Scope::Always || (scope == Scope::Times && scope_.times) ||
               (scope == Scope::DcLevels && scope_.dcLevels);
    }
    void Refuse(std::string message) { error_ = std::move(message); }

    TakeScope scope_;
    controller::Language language_;
    std::string error_;
};

}  // namespace

void ShowParams(const CleanParams& params, CleanParamFields& fields) {
    ForEachValue(fields, params, Show{});
}

std::string TakeParams(const CleanParamFields& fields, TakeScope scope,
                       controller::Language language, CleanParams& params) {
    CleanParams read = params;
    Take take(scope, language);
    ForEachValue(fields, read, take);
    if (take.Error().empty()) params = read;
    return take.Error();
}

}  // namespace velmor::cleaning
