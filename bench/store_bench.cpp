// The store on a document of 2,500 commands and 100 motion steps, beside two common INI
// libraries on the same file: inih (parse only) and SimpleIni (load and save).
// Prints the median time of each and how many times ours fits into theirs.

#include <ini.h>
// Plain bytes: the documents are compared as they are on disk.
#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "commands/cmds_mag.h"
#include "controller/main_operation.h"
#include "files/file_ops.h"

namespace {

using velmor::commands::CCmdsMag;
using velmor::controller::CMainOperation;

// Our save without the flush to the device, to compare like with like: the other
// libraries do not flush.
class NoSyncFileOps : public velmor::files::FileOps {
  public:
    bool Sync(int) override { return true; }
    void SyncFolder(const std::string&) override {}
};

void Fill(CMainOperation& op) {
    const char* keywords[] = {"RegWrite", "WriteAnd", "WriteOR", "ReadAnd"};
    op.allCmdNames = {"InitDone", "InitMovement", "InitMovetest", "InitEnd", "电机组"};
    op.cmdNames = op.allCmdNames;
    for (int k = 0; k < 2500; ++k) {
        op.cmdList.push_back({k % 3 ? "InitDone" : "电机组",
                              "寄存器_" + std::to_string(k) + "[7:0]", keywords[k % 4],
                              static_cast<std::uint16_t>(0x4000 + k),
                              static_cast<std::uint8_t>(k)});
    }
    for (int k = 0; k < 100; ++k) {
        velmor::controller::MotorListInfo e;
        e.nMotorNums = 1 + k % 3;
        e.motorIndex = static_cast<std::uint8_t>(k % 31);
        e.strLedIndx = "A";
        for (int i = 0; i < 5; ++i) {
            e.MotonTabLen[i] = k + i;
            e.MotonnMaxSpeed[i] = 1000 * i + k;
            e.MotonnnMoveLenth[i] = -k * i;
        }
        (k < 70 ? op.motionList : op.testMotionList).push_back(e);
    }
}

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) {
        const auto t0 = std::chrono::steady_clock::now();
        work();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

int CountEntries(void* user, const char*, const char*, const char*) {
    ++*static_cast<long*>(user);
    return 1;
}

}  // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() / "velmor-store-bench";
    std::filesystem::create_directories(folder);
    const std::string doc = (folder / "bench.cfg").string();
    const std::string other = (folder / "simpleini.cfg").string();
    const int runs = 21;

    CMainOperation source;
    Fill(source);
    if (!CCmdsMag(source).SaveConfigDocument(doc)) {
        std::fprintf(stderr, "cannot write %s\n", doc.c_str());
        return 1;
    }
    const auto bytes = std::filesystem::file_size(doc);

    CMainOperation target;
    bool loadOk = true;
    const double oursLoad =
        MedianMs(runs, [&] { loadOk = CCmdsMag(target).LoadConfigDocument(doc) && loadOk; });
    const double oursSave = MedianMs(runs, [&] { CCmdsMag(source).SaveConfigDocument(doc); });
    NoSyncFileOps noSync;
    const double oursSaveNoSync =
        MedianMs(runs, [&] { CCmdsMag(source, noSync).SaveConfigDocument(doc); });

    long entries = 0;
    const double inihParse = MedianMs(runs, [&] {
        entries = 0;
        ini_parse(doc.c_str(), CountEntries, &entries);
    });
    const double simpleLoadSave = MedianMs(runs, [&] {
        CSimpleIniA ini;
        ini.LoadFile(doc.c_str());
        ini.SaveFile(other.c_str());
    });
    const double simpleLoad = MedianMs(runs, [&] {
        CSimpleIniA ini;
        ini.LoadFile(doc.c_str());
    });

    std::printf("document: %ju bytes, %zu commands, %zu+%zu motion steps, %ld entries (inih)\n",
                static_cast<std::uintmax_t>(bytes), target.cmdList.size(), target.motionList.size(),
                target.testMotionList.size(), entries);
    std::printf("load accepted: %s\n\n", loadOk ? "yes" : "NO");
    std::printf("%-40s %10s %12s\n", "operation (median of 21)", "ms", "ratio to ours");
    std::printf("%-40s %10.3f %12s\n", "ours: LoadConfigDocument", oursLoad, "1.00");
    std::printf("%-40s %10.3f %12s\n", "ours: SaveConfigDocument (with fsync)", oursSave, "");
    std::printf("%-40s %10.3f %12s\n", "ours: SaveConfigDocument (no fsync)", oursSaveNoSync,
                "1.00");
    std::printf("%-40s %10.3f %12.2f\n", "inih: parse (vs our load)", inihParse,
                inihParse / oursLoad);
    std::printf("%-40s %10.3f %12.2f\n", "SimpleIni: load (vs our load)", simpleLoad,
                simpleLoad / oursLoad);
    std::printf("%-40s %10.3f %12.2f\n", "SimpleIni: load+save (vs our load+save)", simpleLoadSave,
                simpleLoadSave / (oursLoad + oursSaveNoSync));
    std::filesystem::remove_all(folder);
    return loadOk ? 0 : 1;
}
