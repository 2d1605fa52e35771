#pragma once
// The controller object: the register access protocol over the bulk endpoints,
// vendor requests on the control endpoint, the helpers every page shares, and the
// state that more than one page reads or changes.
//
// Exchanges are serialised by one lock taken for each whole exchange (a read
// command with its answer, all chunks of one write, one vendor transfer), so the
// status threads, the workers and the user-interface thread never receive each
// other's answers.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "controller/clean_params.h"
#include "controller/cmd_info.h"
#include "controller/log_view.h"
#include "controller/motor_list_info.h"
#include "controller/motor_settings.h"

namespace velmor::usb {
class CUsbLink;
}

namespace velmor::controller {

// The log font: the nearest platform font to a 13-pixel "宋体" (SimSun).
struct LogFont {
    int height = 13;
    int weight = 10;
    int charSet = 136;
    int outPrecision = 4;
    int quality = 2;
    int pitchAndFamily = 0x36;
    std::string face = "宋体";
};

// Fixed sizes and counts of the register protocol and the vendor requests.
inline constexpr std::uint8_t kBulkOutAddress = 0x02;
inline constexpr std::uint8_t kBulkInAddress = 0x82;
inline constexpr int kBulkBufferSize = 1025;  // transfer buffer of one bulk exchange
inline constexpr std::uint32_t kTransferTimeOutMs = 1000;
inline constexpr int kBulkTries = 3;
inline constexpr int kWriteChunkBytes = 1024;  // 256 write words per bulk exchange
inline constexpr int kVendorBufferSize = 512;  // transfer buffer of one vendor request
inline constexpr int kVendorAnswerSize = 128;  // answer [N, d1..dN] of a checked read
inline constexpr int kVendorReadTries = 6;
inline constexpr std::uint8_t kVendorWriteCode = 0xEC;
inline constexpr std::uint8_t kVendorWriteAltCode = 0xE2;
inline constexpr std::uint8_t kFirmwareIdCode = 0xE0;
inline constexpr int kFirmwareIdLength = 16;

class CMainOperation {
  public:
    // The one process-wide instance, created on first call, never destroyed.
    static CMainOperation* GetInstance();

    // Tests build their own instances beside the process-wide one.
    CMainOperation();
    virtual ~CMainOperation();
    CMainOperation(const CMainOperation&) = delete;
    CMainOperation& operator=(const CMainOperation&) = delete;

    // The program folder with a trailing '/': $VELMOR_HOME when set, else the
    // folder of the running executable.
    static std::string DefaultProgramFolder();

    // The USB device object; none until the main window (or a tool) hands one over.
    void SetDevice(std::unique_ptr<usb::CUsbLink> device);
    usb::CUsbLink* Device() const { return device_.get(); }

    // ---- register access protocol ----
    // A device whose endpoint table has a gap makes the endpoint look-up raise
    // usb::UsbError ("Failed to find endpoint."); the exchange reports false instead.
    //
    // direction 0: out on 0x02 (length = bytes to send); 1: in from 0x82 (length =
    // room in `buffer`). `length` comes back as the bytes moved, never more than
    // it was. Up to 3 tries, 1000 ms each; lengths beyond 1025 bytes fail.
    bool BulkExchange(std::uint8_t* buffer, std::int32_t& length, int direction);
    // Write words in chunks of 1024 bytes. True only when every chunk succeeded; a
    // chunk that moves nothing ends the write with false.
    bool WriteRegs(std::uint16_t start, const std::uint8_t* data, int count);
    // One command and one answer per 256 registers. True only when every register
    // arrived in order with the read tag; a bad word keeps the bytes before it. After
    // a read whose answer did not arrive, the next read first takes in whatever answer
    // the device still holds, so an old answer is never taken for a new one.
    bool ReadRegs(std::uint16_t start, std::uint8_t* out, int count);
    // ReadRegs up to 4 times while the device handle is open; errors give false.
    bool ReadRegsRetry(std::uint16_t start, std::uint8_t* out, int count);
    bool WriteReg32(std::uint16_t start, std::uint32_t value);

    // ---- vendor requests on the control endpoint ----
    // One try; lengths beyond 512 bytes fail without sending. `transferred`, when
    // given, receives the bytes that actually moved (never more than `length`).
    bool VendorTransfer(std::uint8_t code, int direction, std::uint16_t index, std::uint16_t value,
                        std::uint8_t* buffer, int length, int* transferred = nullptr);
    // Raises std::runtime_error when there is no device object. The last byte
    // becomes the 8-bit sum of the others; length 0 fails without sending.
    bool VendorWriteChecked(std::uint8_t* buffer, int length, bool alternate);
    // `out` receives d1..dN of the answer [N, d1..dN]; never more than `outCapacity`.
    // Up to 6 tries. Valid when the count byte and all N data bytes arrived, dN is
    // the sum of d1..d(N-1) (N = 0 is valid) and N fits both the bytes asked for
    // and `outCapacity`.
    bool VendorReadChecked(int length, std::uint8_t code, std::uint8_t* out, std::uint16_t value,
                           int outCapacity);
    // Vendor request 0xE0 while connected; a failed read leaves zeros.
    void ReadFirmwareId(std::uint8_t out[16]);

    // ---- helpers shared by the pages ----
    static std::string HexTextToDec(const std::string& text, bool hexWithoutPrefix);
    static void AppendHexDump(const std::uint8_t* bytes, int count, LogView* view, std::string& log,
                              std::uint32_t start, int width);
    // Kinds 0..3 computed; kind 4 copies from PatternFile().
    void FillTestPattern(std::uint8_t* buffer, int length, int kind) const;
    static std::uint16_t Crc16(const std::uint8_t* bytes, int length);

    const std::string& PatternFile() const { return patternFile_; }

    // Held for a whole flash transfer (all its steps) to this controller.
    std::mutex& FlashTransferMutex() { return flashTransferMutex_; }
    void SetPatternFile(std::string path) { patternFile_ = std::move(path); }

    // ---- shared state ----
    // The board type is chosen on the GUI thread while flash workers read it for
    // every chunk; the field itself is atomic.
    std::uint8_t BoardType() const { return motorSettings.BoardType; }
    void SetBoardType(std::uint8_t type) { motorSettings.BoardType = type; }

    std::atomic<std::uint8_t> deviceOpened{0};
    std::atomic<std::uint32_t> connected{0};
    std::atomic<std::uint32_t> firstConnection{0};
    MotorSettings motorSettings;
    CleanParams cleanParams;
    std::uint16_t xResolution = 720;
    LogFont logFont;
    std::string programFolder;   // with a trailing '/'
    std::string programFolder2;  // the second copy, kept equal
    std::string language = "chs";

    // Completion flags of worker threads, watched by the progress window.
    std::atomic<std::uint32_t> saveDone{0};
    std::atomic<std::uint32_t> cleanSaveDone{0};
    std::atomic<std::uint32_t> loadDone{0};

    // Command sets and motion lists (copied to and from files by the store).
    std::vector<CMD_INFO> cmdList;
    std::vector<CMD_INFO> cmdList2;
    std::vector<std::string> cmdNames;          // download order list, section "CommandName"
    std::vector<std::string> allCmdNames;       // section "AllCommandName"
    std::vector<MotorListInfo> motionList;      // "InitMovement"
    std::vector<MotorListInfo> testMotionList;  // "InitMovetest"
    bool rebuildFlag = false;                   // set when a loaded document had no commands
    // The groups "InitMovement" and "InitMovetest" were rebuilt from the lists for
    // a save; the movement pages clear it whenever they change a list.
    bool motionGenerated = false;

  private:
    bool DeviceIsOpen();
    // Takes whatever answer the device still holds from a read whose answer did not
    // arrive. False when the device could not be asked (the read then sends nothing).
    bool DrainAnswer();

    std::unique_ptr<usb::CUsbLink> device_;
    std::recursive_mutex exchangeMutex_;
    // A read command went out and its answer did not come in: the device may still hold
    // it, and would give it for the next read command. Guarded by exchangeMutex_.
    bool answerMayWait_ = false;
    std::mutex flashTransferMutex_;
    std::string patternFile_ = "E:\\USB3Data.bin";
};

}  // namespace velmor::controller
