// The copies between the cleaning page's edit boxes and the cleaning set: the
// texts each value is shown as, and the texts controls to params refuses.

#include "cleaning/clean_param_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace velmor::cleaning {
namespace {

using controller::CleanParams;

TEST(CleanParamFields, ShowsValuesInTheirFormatsAndReadsThemBack) {
    CleanParams shown{.uiCarleaveclear1 = 4294967295u,
                      .fCarMoveAccDistance = 12.75f,
                      .uiCarbackclear = -2.5,
                      .fXMoveSpeedWhenReady = 40.75f,  // no decimals: rounded as printf does
                      .nDcStartLevel = -1,
                      .uiTimeConsuming = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
    CleanParamFields f;
    ShowParams(shown, f);
    EXPECT_EQ(f.carWiper1.text, "4294967295");
    EXPECT_EQ(f.carAccTime.text, "12.750000");
    EXPECT_EQ(f.flashDistance.text, "-2.500000");
    EXPECT_EQ(f.xGear.text, "4.738689");
    EXPECT_EQ(f.xManualSpeed.text, "41");
    EXPECT_EQ(f.dcStart.text, "-1");
    EXPECT_EQ(f.times[10].text, "11");

    shown.fXMoveSpeedWhenReady = 41.0f;
    f.xManualSpeed.text = " +41 ";  // blanks and a plus sign are fine
    CleanParams read;
    EXPECT_EQ(TakeParams(f, {}, controller::Language::kChinese, read), "");
    EXPECT_EQ(read.uiTimeConsuming[4], 0u);  // times and DC levels left out ...
    EXPECT_EQ(read.nDcStartLevel, -1);
    f.dcLowFrequency.text = "x";
    EXPECT_EQ(TakeParams(f, {.times = true}, controller::Language::kChinese, read),
              "");  // ... even when not numbers
    f.dcLowFrequency.text = "0";
    EXPECT_EQ(
        TakeParams(f, {.times = true, .dcLevels = true}, controller::Language::kChinese, read), "");
    EXPECT_EQ(read, shown);
}

TEST(CleanParamFields, RefusesTextsTheirValueCannotHoldAndKeepsTheSet) {
    const std::string u32 = "的值必须是 0 到 4294967295 之间的整数!";
    const std::string u32En = "The value must be a whole number from 0 to 4294967295: ";
    struct Case {
        ui::TextField CleanParamFields::*field;
        std::string text, chinese, english;
    };
    const Case cases[] = {
        {&CleanParamFields::carWiper1, "-5", "小车去刮片1位脉冲" + u32, u32En + "uiCarleaveclear1"},
        {&CleanParamFields::carWiper1, "4294967296", "小车去刮片1位脉冲" + u32,
         u32En + "uiCarleaveclear1"},
        {&CleanParamFields::wiperSpeed, "12abc", "刮片的最大速度" + u32, u32En + "uiMoto1SpeedMax"},
        {&CleanParamFields::cleanPos, "1.5", "打印清洗位" + u32, u32En + "uiCarCleanPos"},
        {&CleanParamFields::dcStart, "2147483648",
         "起始电平的值必须是 -2147483648 到 2147483647 之间的整数!",
         "The value must be a whole number from -2147483648 to 2147483647: nDcStartLevel"},
        {&CleanParamFields::xManualSpeed, "", "X手移速度的值必须是数字!",
         "The value must be a number: fXMoveSpeedWhenReady"},
        {&CleanParamFields::xGear, "nan", "X齿轮比的值必须是数字!",
         "The value must be a number: dbXMotorGearRate"},
        {&CleanParamFields::xAccDistance, "1e39", "小车加速距离的值超出范围!",
         "The value is out of range: dbXAcceDistance"},
    };
    for (const Case& c : cases) {
        CleanParamFields fields;
        CleanParams params{.uiCarleaveclear1 = 7};
        ShowParams(params, fields);
        fields.carScrape1.text = "99";  // a good text is not kept either
        fields.*c.field = ui::TextField{c.text};
        const CleanParams before = params;
        const TakeScope all{.times = true, .dcLevels = true};
        EXPECT_EQ(TakeParams(fields, all, controller::Language::kChinese, params), c.chinese);
        EXPECT_EQ(TakeParams(fields, all, controller::Language::kEnglish, params), c.english);
        EXPECT_EQ(params, before) << c.english;
    }
}

}  // namespace
}  // namespace velmor::cleaning
