#pragma once
// A receiver of a whole log text: CMainOperation::AppendHexDump hands the log to
// it after appending a dump. No page implements it (a page keeps its log in a
// ui::PageLog, which its view shows); an implementation may be called from worker
// threads.

#include <string>

namespace velmor::controller {

class LogView {
public:
    virtual ~LogView() = default;
    // Show the whole text, caret at its end, scrolled to it.
    virtual void ShowLog(const std::string& text) = 0;
};

}  // namespace velmor::controller
