#pragma once
// velmorctl history: the writes to controllers every program on this machine
// recorded, oldest first, for one device or all, since a day or a time.

#include <optional>
#include <string>

namespace velmor::cli {

class CtlOutput;
class CtlSession;

class CtlHistoryCommands {
  public:
    CtlHistoryCommands(CtlSession& session, CtlOutput& output)
        : session_(session), output_(output) {}

    // `since`: "YYYY-MM-DD" or "YYYY-MM-DDTHH:MM:SSZ" (UTC), empty for all; 64 for
    // another form. Damaged lines are skipped with a warning each.
    int History(std::optional<int> device, const std::string& since);

  private:
    CtlSession& session_;
    CtlOutput& output_;
};

}  // namespace velmor::cli
