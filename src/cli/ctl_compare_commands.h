#pragma once
// velmorctl's comparisons for a production line: a controller's flash against the
// image a document builds, writing nothing (verify), and two configurations record
// by record, each a document or an image file (image diff). Both exit 0 when equal
// and 1 when they differ.

#include <string>

namespace velmor::cli {

class CtlOutput;
class CtlSession;

class CtlCompareCommands {
  public:
    CtlCompareCommands(CtlSession& session, CtlOutput& output)
        : session_(session), output_(output) {}

    // The flash read and compared with the image of `document` as download builds
    // it; 74 when the read failed, 66/65 for a file that is no document.
    int Verify(const std::string& document);
    // `a` and `b` told apart by their content: a configuration document, or a
    // 4096-byte image file. For two documents also what the image does not show:
    // the motor settings, the name lists and the command sets by name.
    int Diff(const std::string& a, const std::string& b);

  private:
    CtlSession& session_;
    CtlOutput& output_;
};

}  // namespace velmor::cli
