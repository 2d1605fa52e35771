// velmorctl's command line: the options, the commands and their dispatch.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <exception>
#include <iostream>
#include <ostream>

#include "cli/ctl_clean_commands.h"
#include "cli/ctl_commands.h"
#include "cli/ctl_every_device.h"
#include "cli/ctl_image_commands.h"
#include "cli/ctl_motion_commands.h"
#include "shell/program_folder.h"

namespace velmor::cli {

namespace {

constexpr const char* kExitCodesHelp =
    "Exit codes: 0 success; 1 the operation ran but did not succeed (a verify mismatch, a "
    "refused reply); 64 bad command line; 65 bad input data; 66 an input file missing or "
    "unreadable; 69 no device, or no backend for real devices; 73 an output file cannot be "
    "created; 74 a transfer failed.";

bool WantsJson(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--json") != args.end();
}

}  // namespace

int RunCtl(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CLI::App app{"velmorctl: the controller from the command line", "velmorctl"};
    // At most one command; a missing one is reported below, so that a mistyped
    // command reads as unexpected rather than as missing.
    app.require_subcommand(0, 1);
    app.fallthrough();  // global options may also follow the command
    CtlOptions options;
    CLI::Option* simulate =
        app.add_flag("--simulate", options.simulate, "Use the simulated controller (one device)");
    app.add_option("--state", options.stateFile,
                   "File that keeps the simulated controller's registers and flash between runs "
                   "(default: $XDG_RUNTIME_DIR/velmor-sim.state, else /tmp/velmor-sim-<uid>.state)")
        ->type_name("FILE")
        ->needs(simulate);
    std::string device = "0";
    app.add_option("--device", device,
                   "Index of the device to use (default 0); \"all\": download, readback and "
                   "firmware on every controller at once")
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
    app.footer(kExitCodesHelp);

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

    std::string file;
    CLI::App* motion = app.add_subcommand("motion", "The start-up motion of a document");
    motion->require_subcommand(1);
    CLI::App* motionBuild = motion->add_subcommand(
        "build", "Build the start-up motion of DOC for its board type; print the command list");
    motionBuild->add_option("DOC", file, "Configuration document (.cfg)")->required();
    MoveArgs move;
    CLI::App* moveCommand = app.add_subcommand("move", "Move one motor for a test and wait for it");
    moveCommand->add_option("MOTOR", move.motor, "x, xdc, y0, y1, z, m0 or m1")->required();
    for (const MoveLimit& limit : MoveLimits())
        moveCommand->add_option(limit.option, move.*limit.field, limit.help);
    moveCommand->add_option("--dir", move.direction, "Orignal or End");
    std::string stopMotor;
    CLI::App* stop = app.add_subcommand("stop", "Stop a motor");
    stop->add_option("MOTOR", stopMotor, "x, xdc, y0, y1, z, m0 or m1")->required();
    bool watch = false;
    CLI::App* status = app.add_subcommand("status", "The status of the motion generators");
    status->add_flag("--watch", watch, "Read again every 100 ms until interrupted");
    CLI::App* clean = app.add_subcommand("clean", "The cleaning station's control panel");
    clean->require_subcommand(1);
    CLI::App* cleanFrames =
        clean->add_subcommand("frames", "The frames the cleaning file FILE gives, as hex");
    cleanFrames->add_option("FILE", file, "Cleaning file")->required();
    CLI::App* cleanDownload =
        clean->add_subcommand("download", "Send the cleaning file FILE's frames to the panel");
    cleanDownload->add_option("FILE", file, "Cleaning file")->required();
    CLI::App* initSkip = clean->add_subcommand("init-skip", "Skip the panel's initialisation");
    std::string outFile;
    bool preverify = false;
    CLI::App* image = app.add_subcommand("image", "The start-up image, offline");
    image->require_subcommand(1);
    CLI::App* imageBuild =
        image->add_subcommand("build", "Build the start-up image of the document DOC");
    imageBuild->add_option("DOC", file, "Configuration document (.cfg)")->required();
    imageBuild->add_option("-o", outFile, "Write the 4096-byte image to FILE")->type_name("FILE");
    CLI::App* imageShow = image->add_subcommand("show", "Parse a 4096-byte image file");
    imageShow->add_option("FILE", file, "Image file")->required();
    CLI::App* download = app.add_subcommand(
        "download", "Write the start-up image of DOC into the controller's flash and verify it");
    download->add_option("DOC", file, "Configuration document (.cfg)")->required();
    download->add_flag("--preverify", preverify,
                       "Read the flash first; write nothing when it already holds the image");
    CLI::App* readback = app.add_subcommand("readback", "Read the start-up image from the flash");
    readback->add_option("-o", outFile, "Write the raw 4096 bytes to FILE")->type_name("FILE");

    // Messages always go to standard error; the JSON document (and the help) to
    // standard output.
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

    options.allDevices = device == "all";
    if (!options.allDevices) options.device = std::stoi(device);
    if (!args.empty()) options.executableFolder = shell::ExecutableFolder(args.front().c_str());
    CtlOutput output(out, err, options.json, ::isatty(STDERR_FILENO) == 1 && &err == &std::cerr);
    if (options.allDevices && !firmware->parsed() && !download->parsed() && !readback->parsed())
        return output.Fail(kExitUsage, "--device all goes with download, readback and firmware");
    try {
        CtlSession session(options, output);
        if (options.allDevices) {
            return RunOnEveryDevice(session, output, [&](CtlSession& one, CtlOutput& result) {
                if (firmware->parsed()) return CtlCommands(one, result).Firmware();
                CtlImageCommands image(one, result);
                if (download->parsed()) return image.Download(file, preverify);
                // Each controller's image goes to a file of its own.
                return image.ReadBack(outFile.empty()
                                          ? outFile
                                          : outFile + "." + std::to_string(one.Options().device));
            });
        }
        CtlCommands commands(session, output);
        if (list->parsed()) return commands.List();
        if (read->parsed()) return commands.Read(address, count);
        if (write->parsed()) return commands.Write(address, bytes);
        if (firmware->parsed()) return commands.Firmware();
        CtlMotionCommands motionCommands(session, output);
        if (motionBuild->parsed()) return motionCommands.Build(file);
        if (moveCommand->parsed()) return motionCommands.Move(move);
        if (stop->parsed()) return motionCommands.Stop(stopMotor);
        if (status->parsed()) return motionCommands.Status(watch);
        CtlCleanCommands cleanCommands(session, output);
        if (cleanFrames->parsed()) return cleanCommands.Frames(file);
        if (cleanDownload->parsed()) return cleanCommands.Download(file);
        if (initSkip->parsed()) return cleanCommands.InitSkip();
        CtlImageCommands imageCommands(session, output);
        if (imageBuild->parsed()) return imageCommands.Build(file, outFile);
        if (imageShow->parsed()) return imageCommands.Show(file);
        if (download->parsed()) return imageCommands.Download(file, preverify);
        if (readback->parsed()) return imageCommands.ReadBack(outFile);
    } catch (const std::exception& e) {
        return output.Fail(kExitIoErr, e.what());
    }
    return output.Fail(kExitUsage,
                       "a command is required: list, read, write, firmware, motion, move, stop, "
                       "status, clean, image, download or readback\n"
                       "Run with --help for more information.");
}

}  // namespace velmor::cli
