#pragma once
// Talking to the control panel through the controller: the parameter download
// of "下载参数" and the initialisation skip of "初始化跳过". Each frame goes out
// with VendorWriteChecked (request 0xEC); after a pause the panel's 16-byte reply
// is read with VendorReadChecked (request 0xED, value 30).
//
// Both operations block for their pauses and return what the page shows: the
// message in the controller's language, its caption, and for the CLI what each
// frame met on the way. Waits go through a Sleeper so tests need not wait.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/panel_frame.h"
#include "controller/clean_params.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::ui {
class Sleeper;
}

namespace velmor::cleaning {

// Registers of the initialisation skip.
inline constexpr std::uint16_t kInitSkipCommandReg = 0x4017;
inline constexpr std::uint8_t kInitSkipCommand = 0x8C;
inline constexpr std::uint16_t kInitSkipFlagsReg = 0x4008;
inline constexpr std::uint8_t kInitSkipFlagBit = 0x10;

inline constexpr int kReplyWaitMs = 20;      // after each parameter frame
inline constexpr int kRegisterWaitMs = 200;  // between the two rounds of register steps
inline constexpr int kDisplayWaitMs = 50;    // after the display frame

using PanelReply = std::array<std::uint8_t, kReplyLength>;

// One frame and what became of it.
struct PacketReport {
    Frame frame;             // as sent, check byte filled in
    bool written = false;    // the controller took the vendor write
    bool answered = false;   // a reply with a good check byte was read
    PanelReply reply{};      // the reply; bytes it did not carry cannot pass the echo test
    bool delivered = false;  // answered and bytes 6..14 echo the frame
};

struct PanelOutcome {
    bool ok = false;
    std::string message;  // the text to show; success texts start with five blanks
    std::string caption;  // "VelmorTool" for success, empty (default caption) otherwise
    std::vector<PacketReport> packets;  // frames sent, in order
};

// How a panel download or an initialisation skip ended, as the history of writes
// records it: "delivered", "refused" (the panel did not take a frame) or
// "transfer failed".
std::string PanelHistoryResult(const PanelOutcome& outcome);

class PanelDownload {
  public:
    // `op` and `sleeper` must outlive this object.
    PanelDownload(controller::CMainOperation& op, ui::Sleeper& sleeper);

    // "下载参数" for the set read from the page's fields: the wiper rule and the
    // value checks, then the connection, then each packet until the first one
    // the panel does not echo. Packets already delivered stay delivered.
    PanelOutcome Download(const controller::CleanParams& params);
    // What Download refuses before it sends anything (a value that does not pass,
    // no connection), or nothing when it would start sending: lets a page say so
    // before it shows a progress window.
    std::optional<PanelOutcome> Refusal(const controller::CleanParams& params) const;

    // "初始化跳过": twice the register steps (0x8C to 0x4017; bit 4 set in 0x4008),
    // 200 ms apart, then the display frame "     Ready      "; it succeeds when the
    // panel answers with byte 4 = 0. A register step that fails ends it as failed,
    // and a 0x4008 that could not be read is never written back.
    PanelOutcome InitSkip();

    // Sends one frame, waits `waitMs` and reads the reply.
    PacketReport Exchange(const Frame& frame, int waitMs);

  private:
    bool InitSkipRegisterSteps();
    PanelOutcome Success(std::string_view text) const;
    PanelOutcome Failure(std::string_view text) const;

    controller::CMainOperation& op_;
    ui::Sleeper& sleeper_;
};

}  // namespace velmor::cleaning
