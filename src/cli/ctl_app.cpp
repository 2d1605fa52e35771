// velmorctl's command line: the options, the commands and their dispatch.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <iostream>
#include <optional>
#include <ostream>

#include "cli/ctl_clean_commands.h"
#include "cli/ctl_commands.h"
#include "cli/ctl_compare_commands.h"
#include "cli/ctl_completion.h"
#include "cli/ctl_console.h"
#include "cli/ctl_every_device.h"
#include "cli/ctl_history_commands.h"
#include "cli/ctl_image_commands.h"
#include "cli/ctl_motion_commands.h"
#include "cli/ctl_prepared_document.h"
#include "cli/ctl_preview_command.h"
#include "history/history_log.h"
#include "numbers/number_text.h"
#include "shell/program_folder.h"

namespace velmor::cli {

namespace {

constexpr const char* kExitCodesHelp =
    "Exit codes: 0 success; 1 the operation ran but did not succeed (a verify mismatch, a "
    "refused reply); 64 bad command line; 65 bad input data; 66 an input file missing or "
    "unreadable; 69 no device, or no backend for real devices; 73 an output file cannot be "
    "created; 74 a transfer failed.";

// The commands as declared, which the parser marks as given, and everything the
// parser fills in: the global options and the arguments of every command.
struct CtlLine {
    CtlOptions options;
    std::string device = "0";
    bool deviceGiven = false;  // --device on the command line
    bool bashCompletion = false;

    CLI::App* list = nullptr;
    CLI::App* read = nullptr;
    CLI::App* write = nullptr;
    CLI::App* firmware = nullptr;
    std::string address;
    std::string count;
    std::vector<std::string> bytes;

    CLI::App* motionBuild = nullptr;
    CLI::App* motionPreview = nullptr;
    std::string svgFile;
    CLI::App* move = nullptr;
    CLI::App* stop = nullptr;
    CLI::App* status = nullptr;
    MoveArgs moveArgs;
    std::string stopMotor;
    bool watch = false;

    CLI::App* cleanFrames = nullptr;
    CLI::App* cleanDownload = nullptr;
    CLI::App* initSkip = nullptr;

    CLI::App* imageBuild = nullptr;
    CLI::App* imageShow = nullptr;
    CLI::App* download = nullptr;
    CLI::App* readback = nullptr;
    CLI::App* verify = nullptr;
    CLI::App* imageDiff = nullptr;
    CLI::App* history = nullptr;
    std::string otherFile;  // image diff's B
    std::string since;      // history --since
    std::string file;       // the document, cleaning file or image file of the command
    std::string outFile;
    bool preverify = false;
};

// "--simulate N" offers N simulated controllers: the count is taken here, as a flag
// cannot take a value of its own, and the rest goes to the parser.
std::vector<std::string> SimulateCount(const std::vector<std::string>& args, CtlOptions& options) {
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        rest.push_back(args[i]);
        if (args[i] != "--simulate" || i + 1 >= args.size()) continue;
        if (const std::optional<std::uint32_t> n = numbers::DecimalDigits(args[i + 1], 3);
            n && *n >= 1) {
            options.simulatedDevices = static_cast<int>(*n);
            ++i;
        }
    }
    return rest;
}

bool WantsJson(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--json") != args.end();
}

void DeclareOptions(CLI::App& app, CtlLine& line) {
    // At most one command; a missing one is reported by the dispatch, so that a
    // mistyped command reads as unexpected rather than as missing.
    app.require_subcommand(0, 1);
    app.fallthrough();  // global options may also follow the command
    CtlOptions& options = line.options;
    CLI::Option* simulate = app.add_flag("--simulate", options.simulate,
                                         "Use simulated controllers: one, or N with --simulate N");
    app.add_option("--state", options.stateFile,
                   "File that keeps the simulated controller's registers and flash between runs "
                   "(default: $XDG_RUNTIME_DIR/velmor-sim.state, else /tmp/velmor-sim-<uid>.state)")
        ->type_name("FILE")
        ->needs(simulate);
    app.add_option("--sim-latency", options.simLatencyMicros,
                   "Simulated controllers take US microseconds to answer each transfer, as a "
                   "USB link does (default 0: at once)")
        ->type_name("US")
        ->check(CLI::Range(0u, 1000000u))
        ->needs(simulate);
    app.add_option("--device", line.device,
                   "Index of the device to use (default 0); \"all\": download, readback, "
                   "verify and firmware on every controller at once")
        ->type_name("N|all")
        ->check(CLI::NonNegativeNumber | CLI::IsMember({"all"}));
    app.add_option("--match", options.matches,
                   "Also treat USB devices with this vendor:product ID (hex) as controllers")
        ->type_name("VID:PID");
    app.set_version_flag("--version", std::string("velmorctl ") + VELMOR_VERSION);
    app.add_option("--board-type", options.boardType,
                   "Controller layout: 0 Mainboard, 1 DoubleFiber, 2 FourFiber (default 1)")
        ->type_name("N")
        ->check(CLI::Range(0, 2));
    app.add_flag("--json", options.json,
                 "Print one JSON document on standard output instead of text");
    app.add_option("--record", options.recordFile,
                   "Also write every exchange with the controllers to FILE (JSON Lines), to "
                   "replay later")
        ->type_name("FILE");
    app.add_flag("--force", options.recordOverwrite, "Record over an existing FILE");
    CLI::Option* replay =
        app.add_option("--replay", options.replayFile,
                       "Answer from the recording FILE instead of controllers; a request it "
                       "does not hold is a failed transfer (74)")
            ->type_name("FILE");
    app.add_flag("--replay-timing", options.replayTiming,
                 "Take as long as the recording took for each answer")
        ->needs(replay);
    // Hidden: the build makes the packaged bash completion with it.
    app.add_flag("--bash-completion", line.bashCompletion, "Print the bash completion script")
        ->group("");
    app.footer(kExitCodesHelp);
}

// The Declare...Commands add the commands in the order the help lists them.

constexpr const char* kDocumentHelp = "Configuration document (.cfg)";

// A command made of commands ("motion build", "clean frames"): one of them is required.
CLI::App* CommandGroup(CLI::App& app, const char* name, const char* description) {
    CLI::App* group = app.add_subcommand(name, description);
    group->require_subcommand(1);
    return group;
}

// A command that takes one file, named `argument` in the help.
CLI::App* FileCommand(CLI::App& parent, const char* name, const char* description,
                      const char* argument, const char* fileHelp, std::string& file) {
    CLI::App* command = parent.add_subcommand(name, description);
    command->add_option(argument, file, fileHelp)->required();
    return command;
}

void DeclareRegisterCommands(CLI::App& app, CtlLine& line) {
    line.list = app.add_subcommand("list", "List the devices: index and device name");
    line.read = app.add_subcommand("read", "Read COUNT registers from ADDR as a hex dump");
    line.read->add_option("ADDR", line.address, "Start address, hex (e.g. 4000 or 0x4000)")
        ->required();
    line.read->add_option("COUNT", line.count, "Number of registers, decimal")->required();
    line.write = app.add_subcommand("write", "Write bytes to consecutive registers");
    line.write->add_option("ADDR", line.address, "Start address, hex")->required();
    line.write->add_option("BYTE", line.bytes, "Data bytes, hex")->required();
    line.firmware = app.add_subcommand("firmware", "Read the firmware identity");
}

void DeclareMotionCommands(CLI::App& app, CtlLine& line) {
    CLI::App* motion = CommandGroup(app, "motion", "The start-up motion of a document");
    line.motionBuild =
        FileCommand(*motion, "build",
                    "Build the start-up motion of DOC for its board type; print the command list",
                    "DOC", kDocumentHelp, line.file);
    line.motionPreview = FileCommand(
        *motion, "preview",
        "The start-up motion of DOC as the simulated controller times it (an estimate): each "
        "move, LED change and the total time",
        "DOC", kDocumentHelp, line.file);
    line.motionPreview->add_option("--svg", line.svgFile, "Also draw it into an SVG file")
        ->type_name("FILE");
    line.move = app.add_subcommand("move", "Move one motor for a test and wait for it");
    line.move->add_option("MOTOR", line.moveArgs.motor, "x, xdc, y0, y1, z, m0 or m1")->required();
    for (const MoveLimit& limit : MoveLimits())
        line.move->add_option(limit.option, line.moveArgs.*limit.field, limit.help);
    line.move->add_option("--dir", line.moveArgs.direction, "Orignal or End");
    line.stop = app.add_subcommand("stop", "Stop a motor");
    line.stop->add_option("MOTOR", line.stopMotor, "x, xdc, y0, y1, z, m0 or m1")->required();
    line.status = app.add_subcommand("status", "The status of the motion generators");
    line.status->add_flag("--watch", line.watch, "Read again every 100 ms until interrupted");
}

void DeclareCleanCommands(CLI::App& app, CtlLine& line) {
    CLI::App* clean = CommandGroup(app, "clean", "The cleaning station's control panel");
    line.cleanFrames =
        FileCommand(*clean, "frames", "The frames the cleaning file FILE gives, as hex", "FILE",
                    "Cleaning file", line.file);
    line.cleanDownload =
        FileCommand(*clean, "download", "Send the cleaning file FILE's frames to the panel", "FILE",
                    "Cleaning file", line.file);
    line.initSkip = clean->add_subcommand("init-skip", "Skip the panel's initialisation");
}

void DeclareImageCommands(CLI::App& app, CtlLine& line) {
    CLI::App* image = CommandGroup(app, "image", "The start-up image, offline");
    line.imageBuild = FileCommand(*image, "build", "Build the start-up image of the document DOC",
                                  "DOC", kDocumentHelp, line.file);
    line.imageBuild->add_option("-o", line.outFile, "Write the 4096-byte image to FILE")
        ->type_name("FILE");
    line.imageShow = FileCommand(*image, "show", "Parse a 4096-byte image file", "FILE",
                                 "Image file", line.file);
    line.download =
        FileCommand(app, "download",
                    "Write the start-up image of DOC into the controller's flash and verify it",
                    "DOC", kDocumentHelp, line.file);
    line.download->add_flag("--preverify", line.preverify,
                            "Read the flash first; write nothing when it already holds the image");
    line.readback = app.add_subcommand("readback", "Read the start-up image from the flash");
    line.readback->add_option("-o", line.outFile, "Write the raw 4096 bytes to FILE")
        ->type_name("FILE");
    line.imageDiff = image->add_subcommand(
        "diff", "Compare A and B record by record: each a configuration document or an image file");
    line.imageDiff->add_option("A", line.file, "Document or image file")->required();
    line.imageDiff->add_option("B", line.otherFile, "Document or image file")->required();
}

void DeclareLineCommands(CLI::App& app, CtlLine& line) {
    line.verify = FileCommand(
        app, "verify",
        "Compare the controller's flash with the start-up image of DOC, writing nothing", "DOC",
        kDocumentHelp, line.file);
    line.history =
        app.add_subcommand("history", "The writes to controllers recorded on this machine");
    line.history->add_option("--since", line.since, "Only those since DATE (UTC)")
        ->type_name("YYYY-MM-DD");
}

// The exit code when the parse ends the run (help, version, a bad command line);
// nothing when the command is to run. Messages go to standard error, the JSON
// document and the help to standard output.
std::optional<int> Parse(CLI::App& app, const std::vector<std::string>& args, std::ostream& out,
                         std::ostream& err) {
    CtlOutput parseOutput(out, err, WantsJson(args), false);
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    if (!reversed.empty()) reversed.pop_back();  // the program name
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        app.exit(e, out, err);
        return kExitOk;
    } catch (const CLI::CallForVersion& e) {
        app.exit(e, out, err);
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        std::string message = e.what();
        return parseOutput.Fail(kExitUsage, message + "\nRun with --help for more information.");
    }
    return std::nullopt;
}

// The options that need more than the parser gives; false for a device index
// beyond any count of devices.
bool CompleteOptions(CtlLine& line, const std::vector<std::string>& args) {
    CtlOptions& options = line.options;
    options.allDevices = line.device == "all";
    if (!options.allDevices) {
        const std::optional<std::uint32_t> index = numbers::DecimalDigits(line.device, 6);
        if (!index) return false;
        options.device = static_cast<int>(*index);
    }
    if (!args.empty()) options.executableFolder = shell::ExecutableFolder(args.front().c_str());
    options.historyFile = history::DefaultHistoryFile();
    return true;
}

bool RunsOnEveryDevice(const CtlLine& line) {
    return line.firmware->parsed() || line.download->parsed() || line.readback->parsed() ||
           line.verify->parsed();
}

int DispatchOnEveryDevice(CtlSession& session, CtlOutput& output, const CtlLine& line) {
    if (line.download->parsed() || line.verify->parsed()) {
        // A document that is no document fails once, before any controller is reached.
        PreparedDocument document;
        if (const int code = PrepareDocument(output, line.file, document); code != kExitOk)
            return code;
        session.ShareDocument(std::move(document));
    }
    return RunOnEveryDevice(session, output, [&](CtlSession& one, CtlOutput& result) {
        if (line.firmware->parsed()) return CtlCommands(one, result).Firmware();
        if (line.verify->parsed()) return CtlCompareCommands(one, result).Verify(line.file);
        CtlImageCommands image(one, result);
        if (line.download->parsed()) return image.Download(line.file, line.preverify);
        // Each controller's image goes to a file of its own.
        return image.ReadBack(line.outFile.empty()
                                  ? line.outFile
                                  : line.outFile + "." + std::to_string(one.Options().device));
    });
}

int Dispatch(CtlSession& session, CtlOutput& output, const CtlLine& line) {
    CtlCommands commands(session, output);
    if (line.list->parsed()) return commands.List();
    if (line.read->parsed()) return commands.Read(line.address, line.count);
    if (line.write->parsed()) return commands.Write(line.address, line.bytes);
    if (line.firmware->parsed()) return commands.Firmware();
    CtlMotionCommands motion(session, output);
    if (line.motionBuild->parsed()) return motion.Build(line.file);
    if (line.motionPreview->parsed())
        return CtlPreviewCommand(session, output).Preview(line.file, line.svgFile);
    if (line.move->parsed()) return motion.Move(line.moveArgs);
    if (line.stop->parsed()) return motion.Stop(line.stopMotor);
    if (line.status->parsed()) return motion.Status(line.watch);
    CtlCleanCommands clean(session, output);
    if (line.cleanFrames->parsed()) return clean.Frames(line.file);
    if (line.cleanDownload->parsed()) return clean.Download(line.file);
    if (line.initSkip->parsed()) return clean.InitSkip();
    CtlImageCommands image(session, output);
    if (line.imageBuild->parsed()) return image.Build(line.file, line.outFile);
    if (line.imageShow->parsed()) return image.Show(line.file);
    if (line.download->parsed()) return image.Download(line.file, line.preverify);
    if (line.readback->parsed()) return image.ReadBack(line.outFile);
    CtlCompareCommands compare(session, output);
    if (line.verify->parsed()) return compare.Verify(line.file);
    if (line.imageDiff->parsed()) return compare.Diff(line.file, line.otherFile);
    if (line.history->parsed())
        return CtlHistoryCommands(session, output)
            .History(line.deviceGiven ? std::optional<int>(line.options.device) : std::nullopt,
                     line.since);
    return output.Fail(kExitUsage,
                       "a command is required: list, read, write, firmware, motion, move, stop, "
                       "status, clean, image, download, readback, verify or history\n"
                       "Run with --help for more information.");
}

}  // namespace

int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunCtl(args, out, err, backend::SelectedDriver{});
}

int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           backend::SelectedDriver prepared) {
    CLI::App app{"velmorctl: the controller from the command line", "velmorctl"};
    // Options are --long and -s everywhere: on Windows too a word starting with '/'
    // is a path, not an option.
    app.allow_windows_style_options(false);
    CtlLine line;
    DeclareOptions(app, line);
    DeclareRegisterCommands(app, line);
    DeclareMotionCommands(app, line);
    DeclareCleanCommands(app, line);
    DeclareImageCommands(app, line);
    DeclareLineCommands(app, line);
    if (const std::optional<int> done = Parse(app, SimulateCount(args, line.options), out, err))
        return *done;
    line.deviceGiven = app.get_option("--device")->count() > 0;
    if (line.bashCompletion) {
        out << BashCompletion(app);
        return kExitOk;
    }

    const bool indexOk = CompleteOptions(line, args);
    const CtlOptions& options = line.options;
    CtlOutput output(out, err, options.json, StandardErrorIsTerminal() && &err == &std::cerr);
    if (!indexOk)
        return output.Fail(kExitUsage, "--device " + line.device + ": no such device index");
    if (options.allDevices && !RunsOnEveryDevice(line))
        return output.Fail(kExitUsage,
                           "--device all goes with download, readback, verify and firmware");
    try {
        CtlSession session(options, output, std::move(prepared));
        const int code = options.allDevices ? DispatchOnEveryDevice(session, output, line)
                                            : Dispatch(session, output, line);
        return session.Finish(code);
    } catch (const std::exception& e) {
        return output.Fail(kExitIoErr, e.what());
    }
}

}  // namespace velmor::cli
