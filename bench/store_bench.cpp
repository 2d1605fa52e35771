// The store on a document of 2,500 commands and 100 motion steps, beside two common INI
// libraries on the same file: inih (parse only) and SimpleIni (load and save).
// Prints the median time of each and how many times ours fits into theirs; then the
// same for the document ten times larger (25,000 commands, 1,000 motion steps), and
// what a load costs per command in each, which must not grow with the document.
//
// Both documents gather more checksum bytes than the classic 10,000-byte buffer holds
// (four a command, 35 a motion step): the buffer grows and the CRC covers every byte,
// so a document the store saved loads back with its checksum accepted, and the load
// does the whole work, reads and checksum, at either size.

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

// The document's content, `scale` times over.
void Fill(CMainOperation& op, int scale) {
    const char* keywords[] = {"RegWrite", "WriteAnd", "WriteOR", "ReadAnd"};
    op.allCmdNames = {"InitDone", "InitMovement", "InitMovetest", "InitEnd", "电机组"};
    op.cmdNames = op.allCmdNames;
    for (int k = 0; k < 2500 * scale; ++k) {
        op.cmdList.push_back({k % 3 ? "InitDone" : "电机组",
                              "寄存器_" + std::to_string(k) + "[7:0]", keywords[k % 4],
                              static_cast<std::uint16_t>(0x4000 + k),
                              static_cast<std::uint8_t>(k)});
    }
    for (int k = 0; k < 100 * scale; ++k) {
        velmor::controller::MotorListInfo e;
        e.nMotorNums = 1 + k % 3;
        e.motorIndex = static_cast<std::uint8_t>(k % 31);
        e.strLedIndx = "A";
        for (int i = 0; i < 5; ++i) {
            e.MotonTabLen[i] = k + i;
            e.MotonnMaxSpeed[i] = 1000 * i + k;
            e.MotonnnMoveLenth[i] = -k * i;
        }
        (k < 70 * scale ? op.motionList : op.testMotionList).push_back(e);
    }
}

double TimeMs(const std::function<void()>& work) {
    const auto t0 = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0)
        .count();
}

double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int r = 0; r < runs; ++r) ms.push_back(TimeMs(work));
    return Median(ms);
}

int CountEntries(void* user, const char*, const char*, const char*) {
    ++*static_cast<long*>(user);
    return 1;
}

struct Figures {
    std::uintmax_t bytes = 0;
    std::size_t commands = 0;
    std::size_t motion = 0;
    std::size_t testMotion = 0;
    std::size_t checksumBytes = 0;
    long entries = 0;
    bool loadOk = true;
    double oursLoad = 0;
    double oursSave = 0;
    double oursSaveNoSync = 0;
    double inihParse = 0;
    double simpleLoad = 0;
    double simpleLoadSave = 0;
};

// One document: the content it is written from, its file and what was measured on it.
struct Bench {
    std::string doc;
    std::string other;  // SimpleIni's save
    CMainOperation source;
    CMainOperation target;
    Figures f;
};

bool Write(Bench& b, const std::filesystem::path& folder, int scale) {
    b.doc = (folder / ("bench-" + std::to_string(scale) + ".cfg")).string();
    b.other = (folder / ("simpleini-" + std::to_string(scale) + ".cfg")).string();
    Fill(b.source, scale);
    if (!CCmdsMag(b.source).SaveConfigDocument(b.doc)) {
        std::fprintf(stderr, "cannot write %s\n", b.doc.c_str());
        return false;
    }
    b.f.bytes = std::filesystem::file_size(b.doc);
    return true;
}

// Our loads of all documents, timed turn about: a change in the machine's load while the
// benchmark runs then weighs on each alike and does not show as growth.
void MeasureLoads(std::vector<Bench*> benches, int runs) {
    std::vector<std::vector<double>> ms(benches.size());
    for (int r = 0; r < runs; ++r) {
        for (std::size_t i = 0; i < benches.size(); ++i) {
            Bench& b = *benches[i];
            ms[i].push_back(TimeMs([&b] {
                CCmdsMag store(b.target);
                b.f.loadOk = store.LoadConfigDocument(b.doc) && b.f.loadOk;
                b.f.checksumBytes = store.Checksum().Length();
            }));
        }
    }
    for (std::size_t i = 0; i < benches.size(); ++i) {
        Figures& f = benches[i]->f;
        const CMainOperation& target = benches[i]->target;
        f.oursLoad = Median(ms[i]);
        f.commands = target.cmdList.size();
        f.motion = target.motionList.size();
        f.testMotion = target.testMotionList.size();
    }
}

void MeasureTheRest(Bench& b, int runs) {
    Figures& f = b.f;
    f.oursSave = MedianMs(runs, [&] { CCmdsMag(b.source).SaveConfigDocument(b.doc); });
    NoSyncFileOps noSync;
    f.oursSaveNoSync =
        MedianMs(runs, [&] { CCmdsMag(b.source, noSync).SaveConfigDocument(b.doc); });
    f.inihParse = MedianMs(runs, [&] {
        f.entries = 0;
        ini_parse(b.doc.c_str(), CountEntries, &f.entries);
    });
    f.simpleLoadSave = MedianMs(runs, [&] {
        CSimpleIniA ini;
        ini.LoadFile(b.doc.c_str());
        ini.SaveFile(b.other.c_str());
    });
    f.simpleLoad = MedianMs(runs, [&] {
        CSimpleIniA ini;
        ini.LoadFile(b.doc.c_str());
    });
}

void Print(const Figures& f, int runs) {
    std::printf("document: %ju bytes, %zu commands, %zu+%zu motion steps, %ld entries (inih)\n",
                f.bytes, f.commands, f.motion, f.testMotion, f.entries);
    std::printf("load accepted: %s (checksum over %zu bytes)\n\n", f.loadOk ? "yes" : "NO",
                f.checksumBytes);
    char title[64];
    std::snprintf(title, sizeof title, "operation (median of %d)", runs);
    std::printf("%-40s %10s %12s\n", title, "ms", "ratio to ours");
    std::printf("%-40s %10.3f %12s\n", "ours: LoadConfigDocument", f.oursLoad, "1.00");
    std::printf("%-40s %10.3f %12s\n", "ours: SaveConfigDocument (with fsync)", f.oursSave, "");
    std::printf("%-40s %10.3f %12s\n", "ours: SaveConfigDocument (no fsync)", f.oursSaveNoSync,
                "1.00");
    std::printf("%-40s %10.3f %12.2f\n", "inih: parse (vs our load)", f.inihParse,
                f.inihParse / f.oursLoad);
    std::printf("%-40s %10.3f %12.2f\n", "SimpleIni: load (vs our load)", f.simpleLoad,
                f.simpleLoad / f.oursLoad);
    std::printf("%-40s %10.3f %12.2f\n", "SimpleIni: load+save (vs our load+save)",
                f.simpleLoadSave, f.simpleLoadSave / (f.oursLoad + f.oursSaveNoSync));
}

}  // namespace

int main() {
    const auto folder = std::filesystem::temp_directory_path() / "velmor-store-bench";
    std::filesystem::create_directories(folder);
    const int runs = 21;
    Bench smallBench;
    Bench largeBench;
    if (!Write(smallBench, folder, 1) || !Write(largeBench, folder, 10)) return 1;
    MeasureLoads({&smallBench, &largeBench}, runs);
    MeasureTheRest(smallBench, runs);
    MeasureTheRest(largeBench, runs);
    const Figures& small = smallBench.f;
    const Figures& large = largeBench.f;
    Print(small, runs);
    std::printf("\n");
    Print(large, runs);

    const auto perCommand = [](const Figures& f) {
        return f.commands ? f.oursLoad * 1000.0 / static_cast<double>(f.commands) : 0.0;
    };
    std::printf("\n%-40s %10s %12s\n", "load per command", "us", "ratio");
    std::printf("%-40s %10.3f %12s\n", "2,500 commands", perCommand(small), "1.00");
    std::printf("%-40s %10.3f %12.2f\n", "25,000 commands", perCommand(large),
                perCommand(large) / perCommand(small));
    std::filesystem::remove_all(folder);
    return small.loadOk && large.loadOk ? 0 : 1;
}
