#pragma once
// Where a page's log text is shown. Implemented by page models, which hand the
// text on to their view; may be called from worker threads.

#include <string>

namespace velmor::controller {

class LogView {
public:
    virtual ~LogView() = default;
    // Show the whole text, caret at its end, scrolled to it.
    virtual void ShowLog(const std::string& text) = 0;
};

}  // namespace velmor::controller
