#include "cli/ctl_output.h"

#include <algorithm>
#include <ostream>

#include "cli/ctl_exit_codes.h"

namespace velmor::cli {

CtlOutput::CtlOutput(std::ostream& out, std::ostream& err, bool json, bool progress)
    : out_(out), err_(err), json_(json), progress_(progress) {}

namespace {

// A path or device name that is not UTF-8 is shown with U+FFFD where its bad bytes
// were, rather than failing the whole document.
std::string JsonText(const nlohmann::json& doc) {
    return doc.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

int CtlOutput::Result(const std::string& text, const nlohmann::json& doc) {
    if (json_) {
        out_ << JsonText(doc) << '\n';
    } else {
        out_ << text;
        if (!text.empty() && text.back() != '\n') out_ << '\n';
    }
    return kExitOk;
}

int CtlOutput::Fail(int code, const std::string& message) {
    EndProgress();
    err_ << "velmorctl: " << message << '\n';
    if (json_) out_ << JsonText({{"error", {{"code", code}, {"message", message}}}}) << '\n';
    return code;
}

void CtlOutput::Note(const std::string& message) { err_ << "velmorctl: " << message << '\n'; }

void CtlOutput::Progress(const std::string& label, int percent) {
    if (!progress_) return;
    percent = std::clamp(percent, 0, 100);
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    err_ << '\r' << label << ": " << percent << '%' << std::flush;
}

void CtlOutput::EndProgress() {
    if (!progress_ || shownPercent_ < 0) return;
    err_ << '\n' << std::flush;
    shownPercent_ = -1;
}

}  // namespace velmor::cli
