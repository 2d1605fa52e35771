#include "cli/ctl_preview_command.h"

#include <cstdio>

#include "cli/ctl_documents.h"
#include "cli/ctl_exit_codes.h"
#include "cli/ctl_output.h"
#include "cli/ctl_session.h"
#include "config/config_preparation.h"
#include "controller/main_operation.h"
#include "files/text_file_writer.h"
#include "motion/motion_builder.h"
#include "motion/motion_timeline.h"
#include "motion/timeline_chart.h"
#include "motion/timeline_svg.h"
#include "numbers/hex_text.h"

namespace velmor::cli {

namespace {

using motion::MoveTiming;

constexpr const char* kEstimate =
    "an estimate from the simulated controller's model: constant top speed, no acceleration ramp";

double Ms(std::int64_t ns) { return static_cast<double>(ns) / 1e6; }

std::string MsText(std::int64_t ns) {
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", Ms(ns));
    return text;
}

const char* ListName(int list) {
    if (list == motion::kMovementGroup) return "movement";
    if (list == motion::kMovetestGroup) return "movetest";
    return "other";
}

const char* TimingName(MoveTiming timing) {
    switch (timing) {
        case MoveTiming::kNoRate:
            return "no_rate";
        case MoveTiming::kTooLong:
            return "too_long";
        case MoveTiming::kOriginLimit:
            return "origin_limit";
        case MoveTiming::kCutShort:
            return "cut_short";
        case MoveTiming::kTimed:
            break;
    }
    return "timed";
}

std::string Where(int list, int step) {
    return std::string(ListName(list)) + " step " + std::to_string(step);
}

nlohmann::json TimelineJson(const motion::MotionTimeline& t) {
    nlohmann::json moves = nlohmann::json::array();
    for (const motion::TimelineMove& m : t.moves) {
        moves.push_back({{"motor", motion::MotorKey(m.motor)},
                         {"list", ListName(m.list)},
                         {"step", m.step},
                         {"start_ms", Ms(m.startNs)},
                         {"end_ms", Ms(m.endNs)},
                         {"direction", m.towardsEnd ? "End" : "Orignal"},
                         {"distance", m.distance},
                         {"table", m.table},
                         {"divisor", m.divisor},
                         {"timing", TimingName(m.timing)}});
    }
    nlohmann::json leds = nlohmann::json::array();
    for (const motion::TimelineLed& l : t.leds) {
        leds.push_back({{"at_ms", Ms(l.atNs)},
                        {"led", l.text},
                        {"code", l.code},
                        {"boards", l.boards},
                        {"list", ListName(l.list)},
                        {"step", l.step}});
    }
    nlohmann::json waits = nlohmann::json::array();
    for (const motion::TimelineWait& w : t.waits) {
        waits.push_back({{"address", w.address},
                         {"list", ListName(w.list)},
                         {"step", w.step},
                         {"start_ms", Ms(w.startNs)},
                         {"end_ms", Ms(w.endNs)},
                         {"met", w.met}});
    }
    return {{"board_type", t.boardType},
            {"total_ms", Ms(t.totalNs)},
            {"untimed", t.Untimed()},
            {"estimate", kEstimate},
            {"moves", moves},
            {"leds", leds},
            {"waits", waits}};
}

std::string TimelineText(const motion::MotionTimeline& t) {
    std::string text = "board type " + std::to_string(t.boardType) + ", " +
                       std::to_string(t.moves.size()) + " moves, total " + MsText(t.totalNs) +
                       " ms (" + kEstimate + ")\n";
    for (const motion::TimelineMove& m : t.moves) {
        text += std::string(motion::MotorKey(m.motor)) + " " + Where(m.list, m.step) + ": " +
                MsText(m.startNs) + " - " + MsText(m.endNs) + " ms, " + std::to_string(m.distance) +
                (m.towardsEnd ? " End" : " Orignal");
        if (m.timing != MoveTiming::kTimed) text += std::string(" [") + TimingName(m.timing) + "]";
        text += '\n';
    }
    for (const motion::TimelineLed& l : t.leds) {
        text += "led " + l.text + " at " + MsText(l.atNs) + " ms, boards";
        for (int board : l.boards) text += " " + std::to_string(board);
        text += '\n';
    }
    for (const motion::TimelineWait& w : t.waits) {
        if (!w.met)
            text += "wait on " + numbers::Hex(w.address, {.digits = 4, .prefix = true}) + " " +
                    Where(w.list, w.step) + " never ended\n";
    }
    return text;
}

}  // namespace

int CtlPreviewCommand::Preview(const std::string& document, const std::string& svgFile) {
    controller::CMainOperation op;
    commands::CCmdsMag::PrinterKeys keys;
    if (const int code = LoadDocument(output_, op, document, &keys); code != kExitOk) return code;
    const config::PreparedDownload prepared = config::PrepareLoadedDocument(op, keys);
    if (!prepared.build.Ok())
        return output_.Fail(kExitDataErr, config::ImageBuildMessage(
                                              prepared.build, controller::Language::kEnglish));
    const motion::MotionTimeline timeline =
        motion::RunStartMotion(prepared.build.image, prepared.build.commands, op.BoardType());

    std::string text = TimelineText(timeline);
    if (!svgFile.empty()) {
        const std::string svg = motion::TimelineSvg(
            motion::MakeTimelineChart(timeline, controller::Language::kEnglish));
        if (!files::TextFileWriter(session_.FileOps()).Replace(svgFile, svg))
            return output_.Fail(kExitCantCreate, "cannot write the SVG file " + svgFile);
        text += "chart written to " + svgFile + "\n";
    }
    return output_.Result(text, TimelineJson(timeline));
}

}  // namespace velmor::cli
