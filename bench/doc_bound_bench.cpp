// Time and peak memory of loading hostile and large configuration documents.
//
// Writes five documents into a temporary folder and loads each in a fresh process of
// this program (`--load FILE`), so that every figure is that document's own:
//   counts_2mb      five counts of 2,000,000, then 2,000,000 blank lines
//   blank_16mib     the same counts, then blank lines up to 16 MiB
//   headers_16mib   the same counts, then bare "[CmdInfo<k>]" headers up to 16 MiB
//   entries_16mib   a document of full entries written by the store, just under 16 MiB
//   one_key_16mib   a name list of 10,000 names whose section holds one key, "k=",
//                   repeated up to 16 MiB: every name is looked for in 5.6 million lines
// Memory is the growth of the peak resident set over the resident set just before the
// load (VmHWM - VmRSS from /proc/self/status), and the process's whole peak (VmHWM,
// the program included). Not ru_maxrss: across fork and exec it keeps the peak of the
// parent, which has just built the document.
//
//   doc_bound_bench              all five documents
//   doc_bound_bench NAME...      only those
//   doc_bound_bench --write NAME FILE   only write that document
//   doc_bound_bench --load FILE         one load in this process (for /usr/bin/time -v)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "commands/cmds_mag.h"
#include "controller/main_operation.h"

namespace {

using velmor::commands::CCmdsMag;
using velmor::controller::CMainOperation;

constexpr std::size_t kMiB = 1024 * 1024;

double CpuMs() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::size_t len = std::strlen(field);
    while (std::getline(in, line)) {
        if (line.compare(0, len, field) == 0) return std::stol(line.substr(len + 1));
    }
    return -1;
}

int LoadOnce(const char* path) {
    CMainOperation op;
    const long before = StatusKb("VmRSS");
    const double cpu0 = CpuMs();
    const auto t0 = std::chrono::steady_clock::now();
    CCmdsMag store(op);
    const bool ok = store.LoadConfigDocument(path);
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    const double cpu = CpuMs() - cpu0;
    const long peak = StatusKb("VmHWM");
    std::printf(
        "%7.0f ms (cpu %4.0f ms) %5.1f MiB growth (peak %5.1f MiB) | result %-5s clamped %-3s "
        "names %zu/%zu commands %zu motion %zu/%zu checksum %zu B\n",
        ms, cpu, static_cast<double>(peak - before) / 1024.0, static_cast<double>(peak) / 1024.0,
        ok ? "true" : "false", store.CountClamped() ? "yes" : "no", op.allCmdNames.size(),
        op.cmdNames.size(), op.cmdList.size(), op.motionList.size(), op.testMotionList.size(),
        store.Checksum().Length());
    return 0;
}

const char* kHugeCounts =
    "[AllCommandName]\nTotalNums=2000000\n[CommandName]\nTotalNums=2000000\n"
    "[TotalCmdNumbers]\nCmdNums=2000000\n[nMotorcmdtotalNums]\nnMotorcmdtotalNums=2000000\n"
    "[nTestMotorcmdtotalNums]\nnTestMotorcmdtotalNums=2000000\n";

std::string BlankLines(std::size_t total) {
    std::string doc = kHugeCounts;
    doc.append(total - doc.size(), '\n');
    return doc;
}

std::string OneKey() {
    std::string doc = "[AllCommandName]\nTotalNums=10000\n";
    while (doc.size() + 3 <= 16 * kMiB) doc += "k=\n";
    return doc;
}

std::string BareHeaders() {
    std::string doc = kHugeCounts;
    for (int k = 0;; ++k) {
        const std::string header = "[CmdInfo" + std::to_string(k) + "]\n";
        if (doc.size() + header.size() > 16 * kMiB) break;
        doc += header;
    }
    return doc;
}

// Our own save of a large but ordinary content: command sets with Chinese names, the
// largest command list the store reads, motion steps for the rest of the 16 MiB.
bool WriteEntries(const std::string& path) {
    const char* keywords[] = {"RegWrite", "WriteAnd", "WriteOR", "ReadAnd"};
    for (int motion = 14000; motion > 0; motion -= 500) {
        CMainOperation op;
        op.allCmdNames = {"InitDone", "InitMovement", "InitMovetest", "InitEnd", "电机组"};
        op.cmdNames = op.allCmdNames;
        for (int k = 0; k < CCmdsMag::kMaxListEntries; ++k) {
            op.cmdList.push_back({k % 3 ? "InitDone" : "电机组",
                                  "寄存器_" + std::to_string(k) + "[7:0]", keywords[k % 4],
                                  static_cast<std::uint16_t>(0x4000 + k),
                                  static_cast<std::uint8_t>(k)});
        }
        for (int k = 0; k < motion; ++k) {
            velmor::controller::MotorListInfo e;
            e.nMotorNums = static_cast<std::uint8_t>(1 + k % 3);
            e.motorIndex = static_cast<std::uint8_t>(k % 31);
            e.strLedIndx = "A";
            for (int i = 0; i < 5; ++i) {
                e.MotonTabLen[i] = k + i;
                e.MotonnMaxSpeed[i] = 1000 * i + k;
                e.MotonnnMoveLenth[i] = -k * i;
            }
            (k % 4 ? op.motionList : op.testMotionList).push_back(e);
        }
        if (!CCmdsMag(op).SaveConfigDocument(path)) return false;
        if (std::filesystem::file_size(path) <= 16 * kMiB) return true;
    }
    return false;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0) return LoadOnce(argv[2]);

    struct Doc {
        const char* name;
        std::function<bool(const std::string&)> write;
    };
    const std::vector<Doc> docs = {
        {"counts_2mb", [](const std::string& p) { return WriteFile(p, BlankLines(2000000)); }},
        {"blank_16mib", [](const std::string& p) { return WriteFile(p, BlankLines(16 * kMiB)); }},
        {"headers_16mib", [](const std::string& p) { return WriteFile(p, BareHeaders()); }},
        {"entries_16mib", WriteEntries},
        {"one_key_16mib", [](const std::string& p) { return WriteFile(p, OneKey()); }},
    };
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
        for (const Doc& doc : docs) {
            if (std::strcmp(argv[2], doc.name) == 0) return doc.write(argv[3]) ? 0 : 1;
        }
        return 1;
    }
    const auto folder = std::filesystem::temp_directory_path() / "velmor-doc-bound-bench";
    std::filesystem::create_directories(folder);
    int failures = 0;
    for (const Doc& doc : docs) {
        bool wanted = argc == 1;
        for (int i = 1; i < argc; ++i) wanted = wanted || std::strcmp(argv[i], doc.name) == 0;
        if (!wanted) continue;
        const std::string path = (folder / (std::string(doc.name) + ".cfg")).string();
        if (!doc.write(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%-14s %5.2f MiB  ", doc.name,
                    static_cast<double>(std::filesystem::file_size(path)) / kMiB);
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            execl("/proc/self/exe", argv[0], "--load", path.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::printf("load process failed (status %d)\n", status);
            ++failures;
        }
        std::filesystem::remove(path);
    }
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}
