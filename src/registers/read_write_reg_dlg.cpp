#include "registers/read_write_reg_dlg.h"

#include <algorithm>
#include <iostream>
#include <vector>

#include "controller/board_layout.h"
#include "controller/crc16.h"
#include "controller/main_operation.h"
#include "history/write_history.h"
#include "numbers/hex_text.h"
#include "numbers/number_text.h"
#include "registers/board_reset.h"

namespace velmor::registers {

namespace {

constexpr std::uint16_t kMainBoardBase = 0x4000;
constexpr std::uint16_t kMainBoardVersion = 0x40F0;
constexpr std::uint16_t kHeadBoardVersion = 0x41F0;
constexpr std::uint16_t kInkSupplyTime = 0x4071;
constexpr std::uint16_t kWhiteInkInterval = 0x4075;
constexpr std::uint16_t kWhiteInkTime = 0x4076;
constexpr std::uint8_t kFlashSpitOnValue = 0xC0;
constexpr int kGroupSize = 256;
constexpr int kRegisterDumpWidth = 4;
constexpr int kFlashDumpWidth = 6;
constexpr int kVersionBytes = 16;

using numbers::Format;
using ui::PageLog;

constexpr const char* kSuccess = PageLog::kSuccess;
constexpr const char* kFailed = PageLog::kFailed;
constexpr const char* kNewLine = PageLog::kNewLine;
const char* const kMainGroupTitle = "Main Board Registers Group:";
const char* const kTestStopCaption = "关读定时器";
const char* const kTestStartCaption = "开读定时器";

int HexField(const ui::TextField& field) { return numbers::FieldHex(field.text); }

int DecimalField(const ui::TextField& field) { return numbers::FieldDecimal(field.text); }

// The head-board groups a choice text names (either language); empty otherwise.
std::vector<std::uint16_t> HeadBoardBases(const std::string& choice) {
    struct Entry {
        const char* chinese;
        const char* english;
        std::vector<std::uint16_t> bases;
    };
    static const Entry entries[] = {
        {"喷车板1", "Headboard1", {0x4100}},
        {"喷车板2", "Headboard2", {0x4200}},
        {"喷车板3", "Headboard3", {0x4300}},
        {"喷车板4", "Headboard4", {0x4400}},
        {"所有喷车板", "HeadboardAll", {0x4100, 0x4200, 0x4300, 0x4400}},
    };
    for (const Entry& entry : entries) {
        if (choice == entry.chinese || choice == entry.english) return entry.bases;
    }
    return {};
}

}  // namespace

CReadWriteRegDlg::CReadWriteRegDlg(const ui::PageContext& context)
    : op_(context.operation), flash_(context.operation) {
    headBoard.items = {"喷车板1", "喷车板2", "喷车板3", "喷车板4", "所有喷车板"};
    pattern.items = {"Constant Byte", "Random Byte", "Incrementing Byte", "Incrementing DWORD",
                     "self-define"};
}

CReadWriteRegDlg::~CReadWriteRegDlg() {
    if (testRunning_ && timers_ != nullptr) timers_->StopTimer(kTestTimerId);
}

void CReadWriteRegDlg::SetTimerService(ui::TimerService* timers) { timers_ = timers; }

void CReadWriteRegDlg::OnInitDialog() {
    headType.items = {"Dark",   "Mid",     "Light",   "Ext1",    "Ext2",    "R280_1", "R280_2",
                      "R280_3", "TX800_1", "TX800_2", "TX800_3", "TX800_4", "T40W_1", "T40W_2"};
    frequency.items = {"32", "64", "96", "256", "512", "1K", "2K", "4K", "7K", "8K", "10K", "12K"};
    headType.selected = 0;
    frequency.selected = 0;
    pattern.selected = 0;
    headBoard.selected = 0;
    Changed();
}

const controller::LogFont& CReadWriteRegDlg::LogFontSpec() const { return op_.logFont; }

// ---- log ----

void CReadWriteRegDlg::OnClearLog() {
    log_.Clear();
    ShowLog();
}

// ---- register writes and reads ----

// Reads `count` registers from `base` and reports them under `title`: the
// success marker and the dump, or the failure marker.
void CReadWriteRegDlg::ReadGroup(std::uint16_t base, int count, const std::string& title) {
    std::uint8_t bytes[kGroupSize] = {};
    const bool ok = op_.ReadRegsRetry(base, bytes, count);
    std::string text = kNewLine + title;
    if (ok) {
        text += kSuccess;
        text += kNewLine;
        PageLog::AppendDump(text, bytes, count, base, kRegisterDumpWidth);
    } else {
        text += kFailed;
    }
    text += kNewLine;
    Append(text);
    ShowLog();
}

void CReadWriteRegDlg::WriteOneReg(const ui::TextField& address, const ui::TextField& data,
                                   const std::string& title) {
    const auto reg = static_cast<std::uint16_t>(HexField(address));
    const auto value = static_cast<std::uint8_t>(HexField(data));
    const bool ok = op_.WriteRegs(reg, &value, 1);
    Append(title + Format("0x%x", reg) + "  " + Format("0x%x", value) + (ok ? kSuccess : kFailed));
    ShowLog();
    Append(kNewLine);
}

void CReadWriteRegDlg::OnWriteMbReg() {
    WriteOneReg(mbAddress, mbData, "Write MB Reg:");
    OnReadMb();
}

void CReadWriteRegDlg::OnWriteHbReg() { WriteOneReg(hbAddress, hbData, "Write HB Reg:"); }

void CReadWriteRegDlg::OnReadMb() { ReadGroup(kMainBoardBase, kGroupSize, kMainGroupTitle); }

void CReadWriteRegDlg::OnReadHb() {
    for (const std::uint16_t base : HeadBoardBases(headBoard.SelectedText())) {
        const int board = (base >> 8) & 0x0F;
        ReadGroup(base, kGroupSize,
                  "Head Board Registers Group: " + Format("HB%d addr:0x%x", board, base));
    }
}

void CReadWriteRegDlg::OnReadRegs() {
    const auto address = static_cast<std::uint16_t>(HexField(readAddress));
    ReadGroup(address, DecimalField(readCount) % kGroupSize, kMainGroupTitle);
}

// ---- the write-and-read-back test ----

void CReadWriteRegDlg::OnToggleTest() {
    if (testRunning_) {
        StopTest();
    } else {
        const int period = std::max(0, DecimalField(testPeriod));
        if (timers_ != nullptr) timers_->StartTimer(kTestTimerId, period);
        testRunning_ = true;
        testButton.caption = kTestStopCaption;
        readRegsButton.enabled = false;
    }
    Changed();
}

void CReadWriteRegDlg::StopTest() {
    if (timers_ != nullptr) timers_->StopTimer(kTestTimerId);
    testRunning_ = false;
    testButton.caption = kTestStartCaption;
    readRegsButton.enabled = true;
    testValue_ = 0;
    testPasses_ = 0;
    testFailures_ = 0;
}

void CReadWriteRegDlg::OnTimer(int id) {
    if (id == kTestTimerId && testRunning_) TestTick();
    // Every tick also refreshes the progress shown by the view.
    Changed();
}

// The controller answers the test register with the complement of what was
// written, so a pass is a first byte equal to 255 - the value written.
void CReadWriteRegDlg::TestTick() {
    const auto writeAddress = static_cast<std::uint16_t>(HexField(hbAddress));
    op_.WriteRegs(writeAddress, &testValue_, 1);

    const auto readAt = static_cast<std::uint16_t>(HexField(readAddress));
    const int count = DecimalField(readCount) % kGroupSize;
    std::uint8_t bytes[kGroupSize] = {};
    const bool ok = op_.ReadRegsRetry(readAt, bytes, count);

    std::string text = kNewLine;
    text += kMainGroupTitle;
    if (ok) {
        text += Format("Write:%0X", testValue_) + Format("Read:%0X", bytes[0]);
        if (bytes[0] == static_cast<std::uint8_t>(255 - testValue_)) {
            ++testPasses_;
        } else {
            ++testFailures_;
        }
        text += Format("---Success:%d, Failed:%d", testPasses_, testFailures_);
        text += kNewLine;
        PageLog::AppendDump(text, bytes, count, readAt, kRegisterDumpWidth);
    } else {
        text += kFailed;
    }
    ++testValue_;  // wraps from 255 to 0
    text += kNewLine;
    Append(text);
    ShowLog();
}

void CReadWriteRegDlg::ClosePage() {
    if (testRunning_) StopTest();
    Changed();
}

// ---- resets and versions ----

void CReadWriteRegDlg::PulseReset(std::uint16_t reg, const std::string& text) {
    PulseBoardReset(op_, reg);
    Append(text + kNewLine);
    ShowLog();
}

void CReadWriteRegDlg::OnMbReset() { PulseReset(kMainBoardResetReg, "Main Board Reset!"); }

void CReadWriteRegDlg::OnHbReset() { PulseReset(kHeadBoardResetReg, "Head Board Reset!"); }

void CReadWriteRegDlg::OnFirmwareReset() {
    OnHbReset();
    OnMbReset();
}

// One log line: `title`, then the version text of the 16-byte block
// (numbers::FormatVersionText).
void CReadWriteRegDlg::ShowVersion(const std::uint8_t* bytes, const std::string& title) {
    Append(title + numbers::FormatVersionText(bytes) + kNewLine);
    ShowLog();
}

void CReadWriteRegDlg::OnFirmwareVersion() {
    std::uint8_t bytes[kVersionBytes + 1] = {};
    op_.ReadFirmwareId(bytes);
    ShowVersion(bytes, "FirmWare version:");
}

void CReadWriteRegDlg::OnMbLogic() {
    std::uint8_t bytes[kVersionBytes + 1] = {};
    if (!op_.ReadRegsRetry(kMainBoardVersion, bytes, kVersionBytes))
        std::fill_n(bytes, sizeof bytes, 0);
    ShowVersion(bytes, "MB version:");
}

void CReadWriteRegDlg::OnHbLogic() {
    std::uint8_t bytes[kVersionBytes + 1] = {};
    if (!op_.ReadRegsRetry(kHeadBoardVersion, bytes, kVersionBytes))
        std::fill_n(bytes, sizeof bytes, 0);
    ShowVersion(bytes, "HB version:");
}

// ---- flash ----

void CReadWriteRegDlg::OnFlashWrite() { StartFlash(true); }

void CReadWriteRegDlg::OnFlashRead() { StartFlash(false); }

// One transfer of this page at a time: a second one would only queue behind the
// first on the flash transfer lock while its button looked idle.
void CReadWriteRegDlg::StartFlash(bool write) {
    if (flashWorker_.Running()) return;
    const int length = numbers::FieldDecimalOrHex(flashLength.text);
    const auto address = static_cast<std::uint32_t>(HexField(flashAddress));
    const int kind = pattern.selected;
    progress_ = 0;  // the bar shows this transfer, not the one before
    flashWorker_.Start(
        [this, write, address, length, kind] { RunFlash(write, address, length, kind); },
        [this] { Changed(); });
    TakeThreadUpdates();
    Changed();
}

void CReadWriteRegDlg::TakeThreadUpdates() {
    // The flash buttons are usable only while no transfer of this page runs.
    const bool idle = !flashWorker_.Running();
    flashWriteButton.enabled = idle;
    flashReadButton.enabled = idle;
}

int CReadWriteRegDlg::ProgressPercent() const {
    // A busy time-out reports 1000: the bar shows it full.
    return std::clamp(progress_.load(), 0, 100);
}

void CReadWriteRegDlg::RunFlash(bool write, std::uint32_t address, int length, int kind) {
    // Lengths outside the flash are refused before any buffer is made for them.
    const bool lengthOk = length > 0 && length <= kMaxFlashLength;
    std::vector<std::uint8_t> buffer(lengthOk ? static_cast<std::size_t>(length) + 1 : 1, 0);
    bool ok = false;
    if (lengthOk && write) {
        op_.FillTestPattern(buffer.data(), length, kind);
        ok = flash_.Write(buffer.data(), address, length, progress_, false);
    } else if (lengthOk) {
        ok = flash_.Read(buffer.data(), address, length, progress_);
    }

    const char* const action = write ? "Flash Write datas" : "Flash Read datas";
    std::string text =
        Format("%s:0x%x   Len:%d -- %s\r\n", action, address, length, ok ? "success" : "failed");
    if (ok) {
        PageLog::AppendDump(text, buffer.data(), length, address, kFlashDumpWidth);
        text += kNewLine;
    }
    text += kNewLine;
    if (lengthOk && write) {
        // A write that cannot be recorded is said in the log; the write stands.
        const std::optional<std::string> failed = history::RecordWrite(
            op_, {"flash write",
                  {},
                  std::nullopt,
                  controller::ComputeCrc16(buffer.data(), static_cast<std::size_t>(length)),
                  ok ? "written" : "failed",
                  1});
        if (failed) {
            text += *failed + kNewLine;
            std::cerr << op_.programName << ": " << *failed << "\n";
        }
    }
    Append(text);
    ShowLog();
}

// ---- ink timing and flash spitting ----

void CReadWriteRegDlg::OnSetInkTiming() {
    std::string text;
    if (!inkSupplyTime.text.empty()) {
        const auto value = static_cast<std::uint8_t>(DecimalField(inkSupplyTime));
        op_.WriteRegs(kInkSupplyTime, &value, 1);
        text += std::string(kNewLine) + "供墨时间:" + inkSupplyTime.text + "*100ms" + kNewLine;
    }
    if (!whiteInkInterval.text.empty()) {
        const auto value = static_cast<std::uint8_t>(DecimalField(whiteInkInterval));
        op_.WriteRegs(kWhiteInkInterval, &value, 1);
        text += "白墨循环间隔:" + whiteInkInterval.text + "分钟" + kNewLine;
    }
    if (!whiteInkTime.text.empty()) {
        const int value = DecimalField(whiteInkTime);
        const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value & 0xFF),
                                       static_cast<std::uint8_t>((value >> 8) & 0xFF)};
        op_.WriteRegs(kWhiteInkTime, bytes, 2);
        text += "白墨循环时间:" + whiteInkTime.text + "秒" + kNewLine;
    }
    Append(text);
    ShowLog();
}

// The head type and frequency choices do not change what is written.
void CReadWriteRegDlg::OnFlashSpit() {
    flashSpitOn_ = !flashSpitOn_;
    Append(std::string(flashSpitOn_ ? "闪喷开" : "闪喷关") + kNewLine);
    const std::uint8_t value = flashSpitOn_ ? kFlashSpitOnValue : 0x00;
    std::vector<std::uint16_t> regs = {0x410B, 0x420B};
    if (controller::HasHeadBoards3And4(op_.BoardType())) {
        regs.push_back(0x430B);
        regs.push_back(0x440B);
    }
    for (const std::uint16_t reg : regs) op_.WriteRegs(reg, &value, 1);
    ShowLog();
}

}  // namespace velmor::registers
