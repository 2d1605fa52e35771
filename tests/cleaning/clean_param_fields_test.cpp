// The copies between the cleaning page's edit boxes and the cleaning set: the
// texts each value is shown as, and the texts controls to params refuses.

#include "cleaning/clean_param_fields.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velmor::cleaning {
namespace {

using controller::CleanParams;
using Field = std::function<ui::TextField&(CleanParamFields&)>;

TEST(CleanParamFields, ShowsIntegersInDecimalAndRealsWithTheirDecimals) {
    CleanParams p;
    p.uiCarleaveclear1 = 4294967295u;
    p.fCarMoveAccDistance = 12.75f;
    p.uiCarbackclear = -2.5;
    p.fXMoveSpeedWhenReady = 40.75f;  // no decimals: rounded as printf rounds
    p.fMaxYAcceDistance = 6.25f;
    p.nDcStartLevel = -1;
    p.uiTimeConsuming[10] = 3;
    struct Case {
        Field field;
        std::string text;
    };
    const Case cases[] = {
        {[](CleanParamFields& f) -> ui::TextField& { return f.carWiper1; }, "4294967295"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.carAccTime; }, "12.750000"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.flashDistance; }, "-2.500000"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.xGear; }, "4.738689"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.yGear; }, "570.003235"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.travel; }, "1800"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.xManualSpeed; }, "41"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.yAccDistance; }, "6"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.dcStart; }, "-1"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.times[10]; }, "3"},
    };
    CleanParamFields fields;
    ShowParams(p, fields);
    for (const Case& c : cases) EXPECT_EQ(c.field(fields).text, c.text);
}

TEST(CleanParamFields, ReadsBackWhatItShowsAndOnlyTheScopeAsked) {
    CleanParams shown;
    shown.uiCarleaveclear1 = 1000;
    shown.uiCarbackclear = 1.5;
    shown.fCarMoveAccDistance = 0.125f;
    shown.nDcEndLevelMid = -32768;
    shown.uiTimeConsuming = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    CleanParamFields fields;
    ShowParams(shown, fields);

    CleanParams read;  // defaults: no times, DC start level -1
    EXPECT_EQ(TakeParams(fields, {}, false, read), "");
    EXPECT_EQ(read.uiCarleaveclear1, 1000u);
    EXPECT_EQ(read.uiCarbackclear, 1.5);
    EXPECT_EQ(read.fCarMoveAccDistance, 0.125f);
    EXPECT_EQ(read.nDcEndLevelMid, 0);  // DC levels left out
    EXPECT_EQ(read.uiTimeConsuming[4], 0u);

    EXPECT_EQ(TakeParams(fields, {.times = true, .dcLevels = true}, false, read), "");
    EXPECT_EQ(read, shown);

    // Blanks around a number and a leading "+" are fine.
    fields.carWiper1.text = " +42 ";
    EXPECT_EQ(TakeParams(fields, {}, false, read), "");
    EXPECT_EQ(read.uiCarleaveclear1, 42u);
}

TEST(CleanParamFields, RefusesTextsTheirValueCannotHoldAndKeepsTheSet) {
    struct Case {
        Field field;
        std::string text;
        TakeScope scope;
        std::string chinese;
        std::string english;
    };
    const std::string u32 = " 0 到 4294967295 之间的整数!";
    const std::string u32En = "The value must be a whole number from 0 to 4294967295: ";
    const Case cases[] = {
        {[](CleanParamFields& f) -> ui::TextField& { return f.carWiper1; },
         "-5",
         {},
         "小车去刮片1位脉冲的值必须是" + u32,
         u32En + "uiCarleaveclear1"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.carWiper1; },
         "4294967296",
         {},
         "小车去刮片1位脉冲的值必须是" + u32,
         u32En + "uiCarleaveclear1"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.wiperSpeed; },
         "12abc",
         {},
         "刮片的最大速度的值必须是" + u32,
         u32En + "uiMoto1SpeedMax"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.platformUp; },
         "1.5",
         {},
         "平台上升的脉冲的值必须是" + u32,
         u32En + "uiNoclearmoveup"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.cleanPos; },
         "",
         {},
         "打印清洗位的值必须是" + u32,
         u32En + "uiCarCleanPos"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.times[10]; },
         "x",
         {.times = true},
         "闪喷开停次数的值必须是" + u32,
         u32En + "uiTimeConsuming10"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.dcStart; },
         "2147483648",
         {.dcLevels = true},
         "起始电平的值必须是 -2147483648 到 2147483647 之间的整数!",
         "The value must be a whole number from -2147483648 to 2147483647: nDcStartLevel"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.xManualSpeed; },
         "fast",
         {},
         "X手移速度的值必须是数字!",
         "The value must be a number: fXMoveSpeedWhenReady"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.xGear; },
         "nan",
         {},
         "X齿轮比的值必须是数字!",
         "The value must be a number: dbXMotorGearRate"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.flashDistance; },
         "0x10",
         {},
         "闪喷距离的值必须是数字!",
         "The value must be a number: uiCarbackclear"},
        {[](CleanParamFields& f) -> ui::TextField& { return f.xAccDistance; },
         "1e39",
         {},
         "小车加速距离的值超出范围!",
         "The value is out of range: dbXAcceDistance"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.english);
        CleanParamFields fields;
        CleanParams params;
        params.uiCarleaveclear1 = 7;
        ShowParams(params, fields);
        fields.carScrape1.text = "99";  // a good text is not kept either
        c.field(fields).text = c.text;
        const CleanParams before = params;
        EXPECT_EQ(TakeParams(fields, c.scope, false, params), c.chinese);
        EXPECT_EQ(TakeParams(fields, c.scope, true, params), c.english);
        EXPECT_EQ(params, before);
    }
}

TEST(CleanParamFields, FieldsOutsideTheScopeAreNotRead) {
    CleanParamFields fields;
    ShowParams(CleanParams{}, fields);
    fields.times[0].text = "junk";
    fields.dcLowFrequency.text = "-";
    CleanParams params;
    EXPECT_EQ(TakeParams(fields, {}, false, params), "");
    EXPECT_NE(TakeParams(fields, {.times = true}, false, params), "");
    EXPECT_NE(TakeParams(fields, {.dcLevels = true}, false, params), "");
}

}  // namespace
}  // namespace velmor::cleaning
