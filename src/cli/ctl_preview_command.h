#pragma once
// velmorctl motion preview: the start-up motion a document's image makes, timed
// on the simulated controller, as text lines or JSON, and drawn as an SVG file.

#include <string>

namespace velmor::cli {

class CtlOutput;
class CtlSession;

class CtlPreviewCommand {
  public:
    CtlPreviewCommand(CtlSession& session, CtlOutput& output)
        : session_(session), output_(output) {}

    // 0; 65 when the document's image is refused; 66 for a document that cannot be
    // read; 73 when the SVG file cannot be written.
    int Preview(const std::string& document, const std::string& svgFile);

  private:
    CtlSession& session_;
    CtlOutput& output_;
};

}  // namespace velmor::cli
