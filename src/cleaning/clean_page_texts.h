#pragma once
// The texts the cleaning page shows besides those of the panel exchanges
// (panel_messages.h), in both languages. Success texts are shown after five
// blanks with the caption "VelmorTool".

#include <string_view>

#include "cleaning/panel_messages.h"

namespace velmor::cleaning {

inline constexpr controller::BilingualText kPathMissingText = {"Path not exist!", "路径不存在!"};
inline constexpr controller::BilingualText kSaveCompleteText = {"Save complete!", "保存成功!"};
inline constexpr controller::BilingualText kSaveFailText = {"Save Fail!", "保存失败!"};
inline constexpr controller::BilingualText kLoadSucceededText = {"Loading succeed!", "加载成功!"};
inline constexpr controller::BilingualText kLoadFailedText = {
    "Loading failed, please check if the file is correct!", "加载失败，请检查文件是否正确!"};

// A field text its value cannot hold. The English text ends with the value's file
// key, the Chinese one starts with its caption; the whole-number texts are printf
// formats with the two ends of the range.
inline constexpr controller::BilingualText kNotANumberText = {"The value must be a number: ",
                                                              "的值必须是数字!"};
inline constexpr controller::BilingualText kWholeNumberText = {
    "The value must be a whole number from %s to %s: ", "的值必须是 %s 到 %s 之间的整数!"};

}  // namespace velmor::cleaning
