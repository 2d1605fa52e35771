#include "cli/ctl_commands.h"

#include "controller/main_operation.h"
#include "numbers/hex_text.h"
#include "numbers/number_text.h"
#include "usb/usb_driver.h"
#include "usb/usb_link.h"

namespace velmor::cli {

namespace {

constexpr std::uint32_t kAddressSpace = 0x10000;
constexpr int kDumpWidth = 4;

constexpr numbers::HexStyle kAddressHex{.digits = 4, .prefix = true};

// Strict decimal count: digits only, 1..`max`.
bool ParseCount(const std::string& text, std::uint32_t max, std::uint32_t& value) {
    const std::optional<std::uint32_t> read = numbers::DecimalDigits(text);
    if (!read) return false;
    value = *read;
    return value >= 1 && value <= max;
}

// The dump's lines end in "\r\n" for the pages' log views; a terminal wants "\n".
std::string TerminalText(const std::string& log) {
    std::string text;
    text.reserve(log.size() + 1);
    for (std::size_t i = 0; i < log.size(); ++i) {
        if (log[i] == '\r' && i + 1 < log.size() && log[i + 1] == '\n') continue;
        text += log[i];
    }
    return text;
}

std::string Registers(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " register" : " registers");
}

}  // namespace

int CtlCommands::List() {
    usb::UsbDriver* driver = nullptr;
    if (const int code = session_.Driver(driver); code != kExitOk) return code;
    usb::CUsbLink link(*driver, usb::WindowId{0}, usb::kVendorInterfaceClass, false);
    const int count = link.CountDevices();
    if (count == 0) return output_.Fail(kExitUnavailable, session_.NoDeviceText());
    std::string text;
    nlohmann::json devices = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
        const bool open = link.OpenDevice(static_cast<std::uint8_t>(i));
        const std::string name = open ? link.DeviceName.data() : "";
        if (open) link.CloseDevice();
        text += std::to_string(i) + ": " + (open ? name : "(cannot be opened)") + '\n';
        devices.push_back({{"index", i}, {"name", name}, {"opened", open}});
    }
    return output_.Result(text, {{"devices", devices}});
}

int CtlCommands::Read(const std::string& address, const std::string& count) {
    std::uint32_t start = 0;
    std::uint32_t n = 0;
    if (!numbers::ParseHexNumber(address, 0xFFFF, start))
        return output_.Fail(kExitUsage,
                            "invalid register address '" + address + "' (hex, 0..FFFF)");
    if (!ParseCount(count, kAddressSpace, n))
        return output_.Fail(kExitUsage,
                            "invalid register count '" + count + "' (decimal, 1..65536)");
    if (start + n > kAddressSpace)
        return output_.Fail(kExitUsage, std::to_string(n) + " registers from " +
                                            numbers::Hex(start, kAddressHex) + " run past 0xFFFF");
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;

    std::vector<std::uint8_t> bytes(n);
    if (!op->ReadRegsRetry(static_cast<std::uint16_t>(start), bytes.data(), static_cast<int>(n)))
        return output_.Fail(kExitIoErr, "reading " + Registers(n) + " from " +
                                            numbers::Hex(start, kAddressHex) + " failed");
    std::string log;
    numbers::AppendHexDumpText(bytes.data(), static_cast<int>(n), start, kDumpWidth, log);
    return output_.Result(TerminalText(log), {{"address", start}, {"count", n}, {"values", bytes}});
}

int CtlCommands::Write(const std::string& address, const std::vector<std::string>& bytes) {
    std::uint32_t start = 0;
    if (!numbers::ParseHexNumber(address, 0xFFFF, start))
        return output_.Fail(kExitUsage,
                            "invalid register address '" + address + "' (hex, 0..FFFF)");
    if (bytes.empty()) return output_.Fail(kExitUsage, "nothing to write");
    std::vector<std::uint8_t> data;
    for (const std::string& text : bytes) {
        std::uint32_t value = 0;
        if (!numbers::ParseHexNumber(text, 0xFF, value))
            return output_.Fail(kExitUsage, "invalid byte '" + text + "' (hex, 0..FF)");
        data.push_back(static_cast<std::uint8_t>(value));
    }
    if (start + data.size() > kAddressSpace)
        return output_.Fail(kExitUsage, std::to_string(data.size()) + " registers from " +
                                            numbers::Hex(start, kAddressHex) + " run past 0xFFFF");
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;

    if (!op->WriteRegs(static_cast<std::uint16_t>(start), data.data(),
                       static_cast<int>(data.size())))
        return output_.Fail(kExitIoErr, "writing " + Registers(data.size()) + " from " +
                                            numbers::Hex(start, kAddressHex) + " failed");
    // The next run reads the registers back from the state file.
    if (const int code = session_.KeepState(); code != kExitOk) return code;
    return output_.Result(
        "wrote " + Registers(data.size()) + " from " + numbers::Hex(start, kAddressHex) + '\n',
        {{"address", start}, {"count", data.size()}});
}

int CtlCommands::Firmware() {
    controller::CMainOperation* op = nullptr;
    if (const int code = session_.Connect(op); code != kExitOk) return code;
    std::uint8_t id[numbers::kVersionBlockSize] = {};
    op->ReadFirmwareId(id);
    const std::string version = numbers::FormatVersionText(id);
    return output_.Result(
        version + '\n',
        {{"firmware", version}, {"bytes", std::vector<std::uint8_t>(id, id + sizeof id)}});
}

CtlRunner::CtlRunner(CtlOptions options, std::ostream& out, std::ostream& err,
                     std::unique_ptr<sim::SimDriver> simDriver, bool progress)
    : output_(out, err, options.json, progress),
      session_(options, output_, std::move(simDriver)),
      commands_(session_, output_) {}

}  // namespace velmor::cli
