#pragma once
// Where velmorctl's results go. Human output goes to standard output; with --json
// exactly one JSON document does instead (an object with stable keys, numbers as
// numbers; on failure {"error": {"code": N, "message": "..."}}). Messages always
// go to standard error, and progress of long transfers too, only when standard
// error is a terminal.

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>

namespace velmor::cli {

class CtlOutput {
  public:
    CtlOutput(std::ostream& out, std::ostream& err, bool json, bool progress);

    bool Json() const { return json_; }
    // Whether Progress shows anything (standard error is a terminal).
    bool ShowsProgress() const { return progress_; }

    // The command's result: `text` for people, `doc` for --json. Returns kExitOk.
    int Result(const std::string& text, const nlohmann::json& doc);
    // A failure: the message on standard error (and the error document with --json).
    // Returns `code`.
    int Fail(int code, const std::string& message);
    // A note on standard error that is not a failure (what a command chose to do).
    void Note(const std::string& message);

    // Progress of a long operation, 0..100, shown on one terminal line.
    void Progress(const std::string& label, int percent);
    void EndProgress();

    std::ostream& Err() { return err_; }

  private:
    std::ostream& out_;
    std::ostream& err_;
    bool json_;
    bool progress_;
    int shownPercent_ = -1;
};

}  // namespace velmor::cli
