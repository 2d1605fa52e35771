#pragma once
// The edit boxes of the cleaning page, one per value of the cleaning set, and the
// two copies between them and the set: params to controls and controls to params.
//
// Texts: integers in decimal; the f64 values and 小车加速时间 with six decimals,
// the other f32 values with none; all independent of the process locale.
//
// Controls to params reads a text only as what its value can hold: an unsigned
// value takes digits only, a DC level a signed 32-bit number, a real value a
// finite number its type can hold. The first text that does not fit gives a
// message naming its value, and the set is left as it was, so neither a save nor
// a download carries a wrapped, truncated or made-up value.

#include <array>
#include <string>

#include "controller/clean_params.h"
#include "controller/language.h"
#include "ui/fields.h"

namespace velmor::cleaning {

struct CleanParamFields {
    // carriage
    ui::TextField carWiper1, carWiper2;    // 小车去刮片1位脉冲, 小车去刮片2位脉冲
    ui::TextField carScrape1, carScrape2;  // 小车去刮墨1位脉冲, 小车去刮墨2位脉冲
    ui::TextField carAccTime, carSpeed;    // 小车加速时间, 小车的最大速度
    ui::TextField flashDistance;           // 闪喷距离 (mm)
    ui::TextField cleanPos;                // 打印清洗位 (mm)
    // wiper
    ui::TextField wiperOut1, wiperIn1, wiperOut2, wiperIn2;
    ui::TextField wiperAcc, wiperSpeed;
    // ink stack (platform), in the order of their labels
    ui::TextField platformFlash, platformDown, platformScrape, platformAcc;
    ui::TextField platformSuck, platformUp, platformSpeed;
    // motion
    ui::TextField xGear, yGear;
    ui::TextField travel, xPrintSpeed, yPrintSpeed;  // hidden
    ui::TextField xAccDistance, xManualSpeed, yManualSpeed, yAccDistance;
    // DC carriage
    ui::TextField dcCleanEnd, dcStart, dcLowEnd, dcMidEnd, dcLowFrequency, dcMidFrequency;
    // cleaning times: normal suck, wait, pad suck, flash, flash interval, the five
    // deep ones, the flash on/off count
    std::array<ui::TextField, 11> times;
};

// Fills every field from `params`, the cleaning times and DC levels included,
// so that a model or motor chosen later shows the values of the set.
void ShowParams(const controller::CleanParams& params, CleanParamFields& fields);

// Which fields controls to params reads besides the ones it always reads.
struct TakeScope {
    bool times = false;     // the cleaning times (machine model 2)
    bool dcLevels = false;  // the six DC fields (DC carriage)
};

// Reads the fields in `scope` into `params`. Empty on success; otherwise the
// message for the first field that does not fit (in `language`), and
// `params` is unchanged.
std::string TakeParams(const CleanParamFields& fields, TakeScope scope,
                       controller::Language language, controller::CleanParams& params);

}  // namespace velmor::cleaning
