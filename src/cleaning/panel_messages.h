#pragma once
// The texts the cleaning download and the initialisation skip show, in both
// languages. Success texts are shown after five blanks with the caption
// "VelmorTool" (ui::SuccessText, ui::kSuccessCaption).

#include <string_view>

#include "controller/language.h"

namespace velmor::cleaning {

// The English text names the wiper twice where the Chinese one compares the
// wiper and the scraping positions; it is shown as the program has always shown it.
inline constexpr controller::BilingualText kWiperOrderText = {
    "The wiper pulse value cannot be greater than the wiper pulse value!",
    "去刮片脉冲值不能大于等于去刮墨脉冲值!"};
inline constexpr controller::BilingualText kDisconnectedText = {
    "Disconnect from device.Please check!", "与设备断开连接,请检查!"};
inline constexpr controller::BilingualText kFirstPacketsFailedText = {"1Download Failed!!",
                                                                      "下发面板参数失败!"};
inline constexpr controller::BilingualText kMotionPacketFailedText = {"2Download Failed!!",
                                                                      "下发面板参数失败!"};
inline constexpr controller::BilingualText kDownloadFinishText = {"Download Finish!",
                                                                  "下发面板参数成功!"};
inline constexpr controller::BilingualText kInitSuccessText = {"Init Success!", "初始化成功!"};
inline constexpr controller::BilingualText kInitFailText = {"Init fail!", "初始化失败!"};
// A value that does not fit its packet field: the English text ends with the
// file key of the value, the Chinese one starts with its caption.
inline constexpr controller::BilingualText kOutOfRangeText = {"The value is out of range: ",
                                                              "的值超出范围!"};

}  // namespace velmor::cleaning
