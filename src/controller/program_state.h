#pragma once
// What the program keeps beside the controller link and the open document: its
// folder, the interface language and log font, the cleaning set, and the flags by
// which pages and their workers coordinate. Part of the controller object.

#include <atomic>
#include <cstdint>
#include <string>

#include "controller/clean_params.h"
#include "controller/language.h"

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

struct ProgramState {
    std::string programFolder;   // with a trailing '/'
    std::string programFolder2;  // the second copy, kept equal

    Language language = Language::kChinese;
    // The stored language setting when it names neither language (kOther), written back
    // as it was read.
    std::string otherLanguage;
    LogFont logFont;

    // Where every write to a controller is recorded (empty: nowhere), and the
    // program and version the records name.
    std::string historyFile;
    std::string programName;
    std::string programVersion;

    CleanParams cleanParams;
    std::uint16_t xResolution = 720;  // counts per inch of the millimetre conversions

    // Completion flags of worker threads, watched by the progress window.
    std::atomic<std::uint32_t> saveDone{0};
    std::atomic<std::uint32_t> cleanSaveDone{0};
    std::atomic<std::uint32_t> loadDone{0};
    // The groups "InitMovement" and "InitMovetest" were rebuilt from the lists for
    // a save; the movement pages clear it whenever they change a list.
    bool motionGenerated = false;
};

}  // namespace velmor::controller
