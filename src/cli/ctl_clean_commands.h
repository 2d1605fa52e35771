#pragma once
// velmorctl's cleaning-station commands: the frames a cleaning file gives, their
// download to the control panel, and the initialisation skip.

#include <string>

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::cli {

class CtlOutput;
class CtlSession;

class CtlCleanCommands {
  public:
    CtlCleanCommands(CtlSession& session, CtlOutput& output) : session_(session), output_(output) {}

    // The frames "下载参数" would send for the cleaning file, check bytes filled
    // in; 65 with the validation message when the file's values do not validate,
    // or when the file is no cleaning file; 66 when it cannot be read.
    int Frames(const std::string& file);
    // Sends them to the controller and reports each packet; 1 when the panel did
    // not take one.
    int Download(const std::string& file);
    int InitSkip();

  private:
    int LoadCleaningFile(controller::CMainOperation& op, const std::string& file);

    CtlSession& session_;
    CtlOutput& output_;
};

}  // namespace velmor::cli
