#pragma once
// The texts the configuration download and read-back show, in both languages.

#include "controller/language.h"

namespace velmor::config {

inline constexpr controller::BilingualText kDisconnectedText{"Disconnect from device.Please check!",
                                                             "与设备断开连接,请检查!"};
inline constexpr controller::BilingualText kAskDownloadText{"Do you want to download data?",
                                                            "是否下载数据?"};
// The progress text, padded as the progress window shows it.
inline constexpr controller::BilingualText kDownloadingText{"                   Downloading",
                                                            "                    下载中"};
inline constexpr controller::BilingualText kDownloadCompleteText{"Download complete!", "下载完成!"};
inline constexpr controller::BilingualText kDownloadFailedText{"Download failed", "下载失败"};
inline constexpr controller::BilingualText kReadFailedText{"Read Failed!", "读取失败!"};
inline constexpr controller::BilingualText kReadCompleteText{"Read complete!", "读取完成!"};
// The log line after "读取参数": whether the flash holds what "DownFirm" would write now.
inline constexpr controller::BilingualText kFlashMatchesText{
    "The flash holds the image of the current document.", "闪存中的映像与当前文档一致。"};
inline constexpr controller::BilingualText kFlashDiffersText{
    "The flash differs from the image of the current document.", "闪存中的映像与当前文档不一致。"};

// The configuration page's file messages.
inline constexpr controller::BilingualText kLoadSucceedText{"Loading succeed!", "加载成功!"};
inline constexpr controller::BilingualText kLoadFailedText{
    "Loading failed, please check if the file is correct!", "加载失败，请检查文件是否正确!"};
inline constexpr controller::BilingualText kSaveCompleteText{"Save complete!", "保存成功!"};
inline constexpr controller::BilingualText kSaveFailText{"Save Fail!", "保存失败!"};
inline constexpr controller::BilingualText kSystemDiskText{"Cannot be saved in the system disk!",
                                                           "不能保存在系统盘里!"};

// Why a download or a read failed; shown on a second line under the failure text.
inline constexpr controller::BilingualText kVerifyFailedDetail{
    "The flash still differs from the image after the last retry; the log lists the first "
    "differing bytes.",
    "最后一次重试后闪存内容仍与镜像不一致，日志中列出了最先不一致的字节。"};
inline constexpr controller::BilingualText kTransferFailedDetail{
    "The transfer to the controller failed. Check that it is connected and powered.",
    "与控制器的传输失败，请检查设备是否已连接并通电。"};
inline constexpr controller::BilingualText kFlashBusyDetail{
    "The controller's flash stayed busy and took no data.",
    "控制器的闪存一直处于忙状态，未能写入数据。"};
inline constexpr controller::BilingualText kBlankImageDetail{
    "The flash holds no start-up image (the block is blank).",
    "闪存中没有启动镜像（该区域为空白）。"};
inline constexpr controller::BilingualText kBadImageDetail{
    "The flash block is not a valid start-up image (its CRC does not match).",
    "闪存中的数据不是有效的启动镜像（CRC校验不符）。"};
inline constexpr controller::BilingualText kTruncatedImageDetail{
    "The controller returned fewer bytes than a start-up image holds.",
    "控制器返回的数据少于一个启动镜像的长度。"};

}  // namespace velmor::config
