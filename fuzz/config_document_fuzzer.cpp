// The configuration document load, on any file: the name lists, the command list, the
// two motion lists, the motor settings and the checksum, then a save and a load again.
//
// Properties: counts are held to their limit; a document saved from what was loaded
// loads back with the same commands, motion entries and motor settings, and the save
// with its printer keys differs from the plain save only by the keys at its end.

#include <algorithm>
#include <cstdint>
#include <string>

#include "commands/cmds_mag.h"
#include "common/fuzz_check.h"
#include "common/memory_file_ops.h"
#include "controller/main_operation.h"

namespace {

bool SameNumbers(const velmor::controller::MotorListInfo& a,
                 const velmor::controller::MotorListInfo& b) {
    return a.nMotorNums == b.nMotorNums && a.motorIndex == b.motorIndex &&
           a.MotonTabLen == b.MotonTabLen && a.MotonnMaxSpeed == b.MotonnMaxSpeed &&
           a.MotonnnMoveLenth == b.MotonnnMoveLenth && a.MotonnFrequency == b.MotonnFrequency;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmor;
    using commands::CCmdsMag;
    const std::string folder = "/velmor-fuzz-missing/";
    fuzz::MemoryFileOps ops;
    ops.files[folder + "doc.cfg"] = std::string(reinterpret_cast<const char*>(data), size);

    controller::CMainOperation first;
    CCmdsMag(first, ops).LoadConfigDocument(folder + "doc.cfg");
    // A list holds at most what the document states up to the plain limit plus what it
    // holds (every entry takes some of its bytes), and never more than its ceiling.
    const std::size_t held = CCmdsMag::kMaxEntries + size;
    FUZZ_CHECK(first.cmdList.size() <= std::min<std::size_t>(held, CCmdsMag::kMaxListEntries));
    for (const auto* list : {&first.motionList, &first.testMotionList})
        FUZZ_CHECK(list->size() <= std::min<std::size_t>(held, CCmdsMag::kMaxMotionEntries));
    FUZZ_CHECK(!first.cmdNames.empty() && !first.allCmdNames.empty());

    FUZZ_CHECK(CCmdsMag(first, ops).SaveConfigDocument(folder + "saved.cfg"));
    const std::string saved = ops.files[folder + "saved.cfg"];
    CCmdsMag::PrinterKeys keys{3, 6, 2};
    FUZZ_CHECK(CCmdsMag(first, ops).SaveConfigDocument(folder + "keys.cfg", keys));
    const std::string withKeys = ops.files[folder + "keys.cfg"];
    FUZZ_CHECK(withKeys.compare(0, saved.size(), saved) == 0);
    FUZZ_CHECK(withKeys.substr(saved.size()) ==
               "[JETTYPE]\r\nJetType=3\r\n[DPITYPE]\r\nDPIType=6\r\n[FlashSel]\r\nFlashSel=2\r\n");

    controller::CMainOperation second;
    second.motorSettings.Multiply = first.motorSettings.Multiply;
    CCmdsMag(second, ops).LoadConfigDocument(folder + "saved.cfg");
    FUZZ_CHECK(second.cmdList.size() == first.cmdList.size());
    for (std::size_t i = 0; i < first.cmdList.size(); ++i) {
        FUZZ_CHECK(second.cmdList[i].Addr == first.cmdList[i].Addr);
        FUZZ_CHECK(second.cmdList[i].Data == first.cmdList[i].Data);
    }
    FUZZ_CHECK(second.motionList.size() == first.motionList.size());
    for (std::size_t i = 0; i < first.motionList.size(); ++i)
        FUZZ_CHECK(SameNumbers(second.motionList[i], first.motionList[i]));
    FUZZ_CHECK(second.testMotionList.size() == first.testMotionList.size());
    for (std::size_t i = 0; i < first.testMotionList.size(); ++i)
        FUZZ_CHECK(SameNumbers(second.testMotionList[i], first.testMotionList[i]));
    FUZZ_CHECK(second.motorSettings == first.motorSettings);
    return 0;
}
