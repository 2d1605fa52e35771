// Every kind of file the program writes, saved with a failure at each file-system call
// of the save in turn, and again with a crash there (the process dies at that call,
// nothing after it runs). After a failure the save reports it, the previous file is
// byte-identical and no temporary file is left; after a crash the file holds the
// previous bytes or the complete new ones. A save that meets no fault gives exactly
// the bytes of a save on an untouched disk.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ctl_exit_codes.h"
#include "cli/ctl_image_commands.h"
#include "cli/ctl_output.h"
#include "cli/ctl_session.h"
#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "drivers/sim/sim_state_file.h"
#include "support/faulty_file_ops.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"

namespace velmor {
namespace {

using commands::CCmdsMag;
using testing::FaultyFileOps;
using testing::ReadBytes;
using testing::TempDir;

// Two different contents of the controller object, for the old and the new save.
void FillOperation(controller::CMainOperation& op, int variant) {
    op.allCmdNames = {"InitDone", "InitMovement", variant ? "Extra" : "Old"};
    op.cmdNames = {"InitDone"};
    op.cmdList.clear();
    for (int i = 0; i < 6 + variant * 5; ++i) {
        op.cmdList.push_back({"InitDone", "REG[7:0]", "RegWrite",
                              static_cast<std::uint16_t>(0x4000 + i),
                              static_cast<std::uint8_t>(i * 3 + variant)});
    }
    controller::MotorListInfo step;
    step.nMotorNums = 1;
    step.motorIndex = 1;
    step.MotonTabLen[0] = 100 + variant;
    step.MotonnMaxSpeed[0] = 2000;
    step.MotonnnMoveLenth[0] = 5000 * (variant + 1);
    op.motionList = {step, step};
    op.testMotionList = {step};
    op.motorSettings.Z0Gear = 1000 + static_cast<std::uint32_t>(variant);
    op.cleanParams.uiCarMoveSpeed = 300 + static_cast<std::uint32_t>(variant);
    op.cleanParams.dbXMotorGearRate = 4.5 + variant;
    op.cleanParams.nDcStartLevel = variant ? 7 : -1;
    op.language = variant ? controller::Language::kEnglish : controller::Language::kChinese;
}

sim::SimState SimulatorState(int variant) {
    sim::SimState state;
    for (std::size_t i = 0; i < state.registers.size(); ++i)
        state.registers[i] = static_cast<std::uint8_t>(i * (variant + 3));
    for (std::uint32_t page : {0x1B0u, 0x100u + static_cast<std::uint32_t>(variant)}) {
        auto& bytes = state.flashPages[page];
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i + page + static_cast<std::uint32_t>(variant));
    }
    return state;
}

// The configuration document of content `variant`, in a folder of its own.
std::string DocumentOf(int variant) {
    static const TempDir documents;
    const std::string path = documents.File("doc" + std::to_string(variant) + ".cfg");
    if (!std::filesystem::exists(path)) {
        controller::CMainOperation op;
        FillOperation(op, variant);
        EXPECT_TRUE(CCmdsMag(op).SaveConfigDocument(path));
    }
    return path;
}

// One kind of file: how the program writes it, from the object's content `variant`.
struct FileKind {
    const char* name;
    const char* fileName;  // inside the record folder
    std::function<bool(const std::string& folder, int variant, files::FileOps& ops)> save;
};

const std::vector<FileKind>& Kinds() {
    static const std::vector<FileKind> kinds = {
        {"ConfigDocumentWithPrinterKeys", "printer.cfg",
         [](const std::string& folder, int variant, files::FileOps& ops) {
             controller::CMainOperation op;
             FillOperation(op, variant);
             CCmdsMag::PrinterKeys keys;
             keys.jetType = static_cast<std::uint8_t>(2 + variant);
             keys.dpiType = static_cast<std::uint8_t>(4 + variant);
             keys.flashSel = 1 + variant;
             return CCmdsMag(op, ops).SaveConfigDocument(folder + "/printer.cfg", keys);
         }},
        // The path store is the default document: the first version is a saved
        // configuration, the next one the same file with a stored path changed.
        {"PathStore", "CmdsRecord/Default",
         [](const std::string& folder, int variant, files::FileOps& ops) {
             controller::CMainOperation op;
             op.programFolder = folder + "/";
             FillOperation(op, 0);
             if (variant == 0) {
                 return CCmdsMag(op, ops).SaveConfigDocument(
                     CCmdsMag::DefaultDocumentPath(op.programFolder));
             }
             return CCmdsMag(op, ops).SetStoredPath("/media/printer/chosen.cfg",
                                                    CCmdsMag::PathKind::Configuration);
         }},
        {"CleaningFile", "clean.cfg",
         [](const std::string& folder, int variant, files::FileOps& ops) {
             controller::CMainOperation op;
             FillOperation(op, variant);
             return CCmdsMag(op, ops).SaveCleanParams(folder + "/clean.cfg");
         }},
        {"VelmorctlImageFile", "image.img",
         [](const std::string& folder, int variant, files::FileOps& ops) {
             std::ostringstream out;
             std::ostringstream err;
             cli::CtlOutput output(out, err, false, false);
             cli::CtlSession session(cli::CtlOptions{}, output);
             session.SetFileOps(ops);
             return cli::CtlImageCommands(session, output)
                        .Build(DocumentOf(variant), folder + "/image.img") == cli::kExitOk;
         }},
        {"SimulatorState", "velmor-sim.state",
         [](const std::string& folder, int variant, files::FileOps& ops) {
             return sim::SimStateFile::Save(folder + "/velmor-sim.state", SimulatorState(variant),
                                            ops);
         }},
    };
    return kinds;
}

std::set<std::string> FilesUnder(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) {
        if (e.is_regular_file()) names.insert(e.path().lexically_relative(dir).generic_string());
    }
    return names;
}

// A fresh folder holding the previous version of the file (when `withPrevious`).
struct Stage {
    TempDir dir;
    std::string file;
    std::optional<std::string> previous;

    Stage(const FileKind& kind, bool withPrevious) {
        std::filesystem::create_directories(dir.Path() / "CmdsRecord");
        file = dir.File(kind.fileName);
        if (withPrevious) {
            FaultyFileOps quiet;
            quiet.skipSync = true;
            EXPECT_TRUE(kind.save(dir.Path().string(), 0, quiet));
            previous = ReadBytes(file);
        }
    }
};

struct SaveCase {
    std::size_t kind;
    bool withPrevious;
};

void PrintTo(const SaveCase& c, std::ostream* os) {
    *os << Kinds()[c.kind].name << (c.withPrevious ? " over a previous file" : " first save");
}

class SafeSave : public ::testing::TestWithParam<SaveCase> {
  protected:
    const FileKind& Kind() const { return Kinds()[GetParam().kind]; }

    // The complete new file: the save on an untouched disk.
    std::string NewBytes() const {
        Stage stage(Kind(), GetParam().withPrevious);
        FaultyFileOps quiet;
        quiet.skipSync = true;
        EXPECT_TRUE(Kind().save(stage.dir.Path().string(), 1, quiet));
        return ReadBytes(stage.file);
    }

    // Runs the save with call `n` failing (or crashing); false once the save made
    // fewer than n calls, that is when every call has had its turn.
    bool SaveWithFaultAt(int n, bool crash, const std::string& complete) {
        Stage stage(Kind(), GetParam().withPrevious);
        const std::set<std::string> before = FilesUnder(stage.dir.Path());
        FaultyFileOps ops;
        ops.skipSync = true;
        ops.shortWrites = 1000;  // several write calls per save
        ops.failAtCall = n;
        ops.crashAtCall = crash;
        bool saved = false;
        bool crashed = false;
        try {
            saved = Kind().save(stage.dir.Path().string(), 1, ops);
        } catch (const FaultyFileOps::SimulatedCrash&) {
            crashed = true;
        }
        const bool struck = ops.calls >= n;
        const bool exists = std::filesystem::exists(stage.file);
        const std::string now = exists ? ReadBytes(stage.file) : std::string();
        const bool isPrevious = stage.previous ? exists && now == *stage.previous : !exists;
        const bool isComplete = exists && now == complete;
        SCOPED_TRACE(std::string(crash ? "crash" : "failure") + " at call " + std::to_string(n));

        if (!struck) {
            EXPECT_TRUE(saved);
            EXPECT_TRUE(isComplete);
        } else if (crashed) {
            EXPECT_TRUE(isPrevious || isComplete) << "the file was left half written";
        } else if (saved) {
            EXPECT_TRUE(isComplete) << "a save reported success without the new file";
        } else {
            EXPECT_TRUE(isPrevious) << "a failed save changed the previous file";
        }
        if (!crashed) {
            std::set<std::string> expected = before;
            if (exists) expected.insert(Kind().fileName);
            EXPECT_EQ(FilesUnder(stage.dir.Path()), expected) << "files left beside the saved file";
        }
        return struck;
    }
};

TEST_P(SafeSave, EveryCallFailingOrCrashingLeavesThePreviousOrTheCompleteFile) {
    const std::string complete = NewBytes();
    ASSERT_FALSE(complete.empty());
    for (bool crash : {false, true}) {
        int n = 1;
        while (SaveWithFaultAt(n, crash, complete) && n < 500) ++n;
        EXPECT_GT(n, 3) << "the save made suspiciously few file-system calls";
        EXPECT_LT(n, 500);
    }
}

std::vector<SaveCase> AllCases() {
    std::vector<SaveCase> cases;
    for (std::size_t k = 0; k < Kinds().size(); ++k) {
        cases.push_back({k, true});
        cases.push_back({k, false});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Files, SafeSave, ::testing::ValuesIn(AllCases()), [](const auto& info) {
    return std::string(Kinds()[info.param.kind].name) +
           (info.param.withPrevious ? "OverAPreviousFile" : "FirstSave");
});

// The simulator's state reaches the device before it replaces the old file: the flush
// comes before the rename, and a failed flush leaves the old state in place.
TEST(SafeSave, SimulatorStateIsFlushedBeforeTheRename) {
    TempDir dir;
    const std::string path = dir.File("state");
    ASSERT_TRUE(sim::SimStateFile::Save(path, SimulatorState(0)));
    const std::string previous = ReadBytes(path);

    FaultyFileOps ops;
    ASSERT_TRUE(sim::SimStateFile::Save(path, SimulatorState(1), ops));
    std::vector<std::string> order;
    for (const std::string& call : ops.callNames)
        if (order.empty() || order.back() != call) order.push_back(call);
    EXPECT_EQ(order, (std::vector<std::string>{"CreateNew", "Write", "Sync", "Close", "Rename"}));
    ASSERT_EQ(sim::SimStateFile::Load(path)->registers, SimulatorState(1).registers);

    ASSERT_TRUE(sim::SimStateFile::Save(path, SimulatorState(0)));
    FaultyFileOps failing;
    failing.failSync = true;
    EXPECT_FALSE(sim::SimStateFile::Save(path, SimulatorState(1), failing));
    EXPECT_EQ(ReadBytes(path), previous);
    EXPECT_EQ(FilesUnder(dir.Path()), std::set<std::string>{"state"});
}

// The one-step save gives the same file as the save followed by the three key writes
// the page used to make one after another.
TEST(SafeSave, OneStepConfigSaveEqualsTheSaveAndItsThreeKeyWrites) {
    TempDir dir;
    controller::CMainOperation op;
    FillOperation(op, 1);
    for (const bool withFlashSel : {false, true}) {
        CCmdsMag::PrinterKeys keys{3, 6, std::nullopt};
        if (withFlashSel) keys.flashSel = 2;
        const std::string oneStep = dir.File("one.cfg");
        const std::string stepwise = dir.File("steps.cfg");
        CCmdsMag store(op);
        ASSERT_TRUE(store.SaveConfigDocument(oneStep, keys));
        ASSERT_TRUE(store.SaveConfigDocument(stepwise));
        ASSERT_TRUE(store.WriteJetType(stepwise, 3));
        ASSERT_TRUE(store.WriteDpiType(stepwise, 6));
        if (withFlashSel) {
            ASSERT_TRUE(store.WriteFlashSel(stepwise, 2));
        }
        EXPECT_EQ(ReadBytes(oneStep), ReadBytes(stepwise)) << "FlashSel " << withFlashSel;
        EXPECT_NE(ReadBytes(oneStep).find("[JETTYPE]\r\nJetType=3\r\n"), std::string::npos);
    }
}

}  // namespace
}  // namespace velmor
