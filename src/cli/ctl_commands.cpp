#include "cli/ctl_commands.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <ostream>

#include "controller/hex_text.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "drivers/sim/sim_state_location.h"
#include "usb/usb_link.h"

namespace velmor::cli {

namespace {

constexpr std::uint32_t kAddressSpace = 0x10000;
constexpr int kDumpWidth = 4;

std::string Hex4(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

// Strict decimal count: digits only, 1..`max`.
bool ParseCount(const std::string& text, std::uint32_t max, std::uint32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
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
    if (text.empty() || text.back() != '\n') text += '\n';
    return text;
}

}  // namespace

bool ParseHexNumber(const std::string& text, std::uint32_t max, std::uint32_t& value) {
    std::size_t pos = 0;
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) pos = 2;
    const std::size_t digits = text.size() - pos;
    if (digits == 0 || digits > 8) return false;
    value = 0;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
        const int digit = std::isdigit(static_cast<unsigned char>(c))
                              ? c - '0'
                              : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value <= max;
}

CtlCommands::CtlCommands(CtlOptions options, std::ostream& out, std::ostream& err,
                         std::unique_ptr<sim::SimDriver> simDriver)
    : options_(std::move(options)), out_(out), err_(err), driver_(std::move(simDriver)) {}

CtlCommands::~CtlCommands() {
    // The device goes before the driver it runs on.
    op_.reset();
    driver_.reset();
}

int CtlCommands::Fail(const std::string& message, int code) {
    err_ << "velmorctl: " << message << '\n';
    return code;
}

std::string CtlCommands::StateFile() const {
    return options_.stateFile.empty() ? sim::DefaultStateFile() : options_.stateFile;
}

int CtlCommands::MakeDriver() {
    if (!options_.simulate)
        return Fail("no USB backend for real devices in this build; use --simulate",
                    kExitNoBackend);
    if (driver_) return kExitOk;
    driver_ = std::make_unique<sim::SimDriver>();
    sim::SimDeviceOptions device;
    device.stateFile = StateFile();
    driver_->AddDevice(device);
    return kExitOk;
}

int CtlCommands::Connect() {
    if (const int code = MakeDriver(); code != kExitOk) return code;
    auto link = std::make_unique<usb::CUsbLink>(*driver_, usb::WindowId{0},
                                                usb::kVendorInterfaceClass, false);
    const int count = link->CountDevices();
    if (options_.device < 0 || options_.device >= count)
        return Fail("no device " + std::to_string(options_.device) + " (" + std::to_string(count) +
                    " found)");
    if (!link->OpenDevice(static_cast<std::uint8_t>(options_.device)))
        return Fail("cannot open device " + std::to_string(options_.device));
    op_ = std::make_unique<controller::CMainOperation>();
    op_->SetDevice(std::move(link));
    op_->deviceOpened = 1;
    op_->connected = 1;
    return kExitOk;
}

int CtlCommands::List() {
    if (const int code = MakeDriver(); code != kExitOk) return code;
    usb::CUsbLink link(*driver_, usb::WindowId{0}, usb::kVendorInterfaceClass, false);
    const int count = link.CountDevices();
    if (count == 0) return Fail("no devices found");
    for (int i = 0; i < count; ++i) {
        out_ << i << ": ";
        if (link.OpenDevice(static_cast<std::uint8_t>(i))) {
            out_ << link.DeviceName.data() << '\n';
            link.CloseDevice();
        } else {
            out_ << "(cannot be opened)\n";
        }
    }
    return kExitOk;
}

int CtlCommands::Read(const std::string& address, const std::string& count) {
    std::uint32_t start = 0;
    std::uint32_t n = 0;
    if (!ParseHexNumber(address, 0xFFFF, start))
        return Fail("invalid register address '" + address + "' (hex, 0..FFFF)", kExitUsage);
    if (!ParseCount(count, kAddressSpace, n))
        return Fail("invalid register count '" + count + "' (decimal, 1..65536)", kExitUsage);
    if (start + n > kAddressSpace)
        return Fail(std::to_string(n) + " registers from " + Hex4(start) + " run past 0xFFFF",
                    kExitUsage);
    if (const int code = Connect(); code != kExitOk) return code;

    std::vector<std::uint8_t> bytes(n);
    if (!op_->ReadRegsRetry(static_cast<std::uint16_t>(start), bytes.data(), static_cast<int>(n)))
        return Fail("reading " + std::to_string(n) + " registers from " + Hex4(start) + " failed");
    std::string log;
    controller::CMainOperation::AppendHexDump(bytes.data(), static_cast<int>(n), nullptr, log,
                                              start, kDumpWidth);
    out_ << TerminalText(log);
    return kExitOk;
}

int CtlCommands::Write(const std::string& address, const std::vector<std::string>& bytes) {
    std::uint32_t start = 0;
    if (!ParseHexNumber(address, 0xFFFF, start))
        return Fail("invalid register address '" + address + "' (hex, 0..FFFF)", kExitUsage);
    if (bytes.empty()) return Fail("nothing to write", kExitUsage);
    std::vector<std::uint8_t> data;
    for (const std::string& text : bytes) {
        std::uint32_t value = 0;
        if (!ParseHexNumber(text, 0xFF, value))
            return Fail("invalid byte '" + text + "' (hex, 0..FF)", kExitUsage);
        data.push_back(static_cast<std::uint8_t>(value));
    }
    if (start + data.size() > kAddressSpace)
        return Fail(
            std::to_string(data.size()) + " registers from " + Hex4(start) + " run past 0xFFFF",
            kExitUsage);
    if (const int code = Connect(); code != kExitOk) return code;

    if (!op_->WriteRegs(static_cast<std::uint16_t>(start), data.data(),
                        static_cast<int>(data.size())))
        return Fail("writing " + std::to_string(data.size()) + " registers from " + Hex4(start) +
                    " failed");
    // The next run reads the registers back from the state file: a write that
    // cannot be kept there is reported, not lost silently.
    if (!driver_->Device(0).FlushState())
        return Fail("the simulated controller's state could not be saved to " + StateFile());
    out_ << "wrote " << data.size() << (data.size() == 1 ? " register" : " registers") << " from "
         << Hex4(start) << '\n';
    return kExitOk;
}

int CtlCommands::Firmware() {
    if (const int code = Connect(); code != kExitOk) return code;
    std::uint8_t id[controller::kVersionBlockSize] = {};
    op_->ReadFirmwareId(id);
    out_ << controller::FormatVersionText(id) << '\n';
    return kExitOk;
}

int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"velmorctl: register access to the controller from the command line", "velmorctl"};
    // At most one command; a missing one is reported below, so that a mistyped
    // command reads as unexpected rather than as missing.
    app.require_subcommand(0, 1);
    CtlOptions options;
    CLI::Option* simulate =
        app.add_flag("--simulate", options.simulate, "Use the simulated controller (one device)");
    app.add_option("--state", options.stateFile,
                   "File that keeps the simulated controller's registers and flash between runs "
                   "(default: $XDG_RUNTIME_DIR/velmor-sim.state, else /tmp/velmor-sim-<uid>.state)")
        ->type_name("FILE")
        ->needs(simulate);
    app.add_option("--device", options.device, "Index of the device to use (default 0)")
        ->type_name("N")
        ->check(CLI::NonNegativeNumber);
    app.set_version_flag("--version", std::string("velmorctl ") + VELMOR_VERSION);
    app.footer(
        "Exit codes: 0 success, 1 no such device or a transfer failed, 2 bad command "
        "line, 3 no USB backend for real devices in this build.");

    std::string address;
    std::string count;
    std::vector<std::string> bytes;
    CLI::App* list = app.add_subcommand("list", "List the devices: index and device name");
    CLI::App* read = app.add_subcommand("read", "Read COUNT registers from ADDR as a hex dump");
    read->add_option("ADDR", address, "Start address, hex (e.g. 4000 or 0x4000)")->required();
    read->add_option("COUNT", count, "Number of registers, decimal")->required();
    CLI::App* write = app.add_subcommand("write", "Write bytes to consecutive registers");
    write->add_option("ADDR", address, "Start address, hex")->required();
    write->add_option("BYTE", bytes, "Data bytes, hex")->required();
    CLI::App* firmware = app.add_subcommand("firmware", "Read the firmware identity");

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty()) reversed.pop_back();  // the program name
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e, out, err);
        return code == 0 ? kExitOk : kExitUsage;
    }

    try {
        CtlCommands commands(options, out, err);
        if (list->parsed()) return commands.List();
        if (read->parsed()) return commands.Read(address, count);
        if (write->parsed()) return commands.Write(address, bytes);
        if (firmware->parsed()) return commands.Firmware();
        err << "velmorctl: a command is required: list, read, write or firmware\n"
            << "Run with --help for more information.\n";
    } catch (const std::exception& e) {
        err << "velmorctl: " << e.what() << '\n';
        return kExitFailed;
    }
    return kExitUsage;
}

}  // namespace velmor::cli
