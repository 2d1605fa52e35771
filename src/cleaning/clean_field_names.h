#pragma once
// The values of the cleaning set by their file key and their caption on the
// cleaning page, for the messages that name a value the page or the packets
// refuse, and for the page's labels.

#include <array>
#include <string_view>

namespace velmor::cleaning {

struct FieldName {
    std::string_view key;
    std::string_view caption;
};

inline constexpr FieldName kWiper1{"uiCarleaveclear1", "小车去刮片1位脉冲"};
inline constexpr FieldName kWiper2{"uiCarleaveclear2", "小车去刮片2位脉冲"};
inline constexpr FieldName kScrape1{"uiCarmoveblow1", "小车去刮墨1位脉冲"};
inline constexpr FieldName kScrape2{"uiCarmoveblow2", "小车去刮墨2位脉冲"};
inline constexpr FieldName kCarAccTime{"fCarMoveAccDistance", "小车加速时间"};
inline constexpr FieldName kCarSpeed{"uiCarMoveSpeed", "小车的最大速度"};
inline constexpr FieldName kFlashDistance{"uiCarbackclear", "闪喷距离"};
inline constexpr FieldName kCleanPos{"uiCarCleanPos", "打印清洗位"};
inline constexpr FieldName kWiperOut1{"uiMoto1moveout", "出刮片1时脉冲"};
inline constexpr FieldName kWiperIn1{"uiMoto1movein", "回刮片1时脉冲"};
inline constexpr FieldName kWiperOut2{"uiMoto1moveout2", "出刮片2时脉冲"};
inline constexpr FieldName kWiperIn2{"uiMoto1movein2", "回刮片2时脉冲"};
inline constexpr FieldName kWiperAcc{"uiMoto1AcceDistance", "刮片的加速时间"};
inline constexpr FieldName kWiperSpeed{"uiMoto1SpeedMax", "刮片的最大速度"};
inline constexpr FieldName kPlatformFlash{"uiFlashMoto0Up", "平台闪喷的脉冲"};
inline constexpr FieldName kPlatformDown{"uiMoto0movedown", "平台下降的脉冲"};
inline constexpr FieldName kPlatformScrape{"uiMoto0moveup", "平台刮墨的脉冲"};
inline constexpr FieldName kPlatformAcc{"uiMoto0AcceDistance", "平台的加速时间"};
inline constexpr FieldName kPlatformSuck{"uiMoto0moveupblow", "平台吸墨的脉冲"};
inline constexpr FieldName kPlatformUp{"uiNoclearmoveup", "平台上升的脉冲"};
inline constexpr FieldName kPlatformSpeed{"uiMoto0SpeedMax", "平台的最大速度"};
inline constexpr FieldName kXGear{"dbXMotorGearRate", "X齿轮比"};
inline constexpr FieldName kYGear{"dbYMotorGearRate", "Y齿轮比"};
inline constexpr FieldName kTravel{"uiMaxDistanceOfXMove", "车头移动总长"};
inline constexpr FieldName kXPrintSpeed{"fXMoveSpeed", "X打印速度"};
inline constexpr FieldName kYPrintSpeed{"fYMoveSpeed", "Y打印速度"};
inline constexpr FieldName kXAccDistance{"dbXAcceDistance", "小车加速距离"};
inline constexpr FieldName kXManualSpeed{"fXMoveSpeedWhenReady", "X手移速度"};
inline constexpr FieldName kYManualSpeed{"fYMoveSpeedWhenReady", "Y手移速度"};
inline constexpr FieldName kYAccDistance{"fMaxYAcceDistance", "走料加速距离"};
inline constexpr FieldName kCleanEndLevel{"nDcEndLeveluiDcCarMoveSpeed", "清洗终止电平"};
inline constexpr FieldName kStartLevel{"nDcStartLevel", "起始电平"};
inline constexpr FieldName kLowEndLevel{"nDcEndLevelLow", "低速终止电平"};
inline constexpr FieldName kMidEndLevel{"nDcEndLevelMid", "中速终止电平"};
inline constexpr FieldName kLowFrequency{"nDcFrequencyLow", "低速频率"};
inline constexpr FieldName kMidFrequency{"nDcFrequencyMid", "中速频率"};
inline constexpr std::array<FieldName, 11> kTimes = {{
    {"uiTimeConsuming", "普通抽墨时间"},
    {"uiTimeConsuming1", "普通等待时间"},
    {"uiTimeConsuming2", "普通抽墨垫时间"},
    {"uiTimeConsuming3", "普通闪喷时间"},
    {"uiTimeConsuming4", "普通闪喷间隔时间"},
    {"uiTimeConsuming5", "深度抽墨时间"},
    {"uiTimeConsuming6", "深度等待时间"},
    {"uiTimeConsuming7", "深度抽墨垫时间"},
    {"uiTimeConsuming8", "深度闪喷时间"},
    {"uiTimeConsuming9", "深度闪喷间隔时间"},
    {"uiTimeConsuming10", "闪喷开停次数"},
}};

}  // namespace velmor::cleaning
