#pragma once
// The read-only pane that shows a page's log: blue text in the log font, caret and
// scroll position following the end. A refresh appends only what the log gained
// since the last one, or sets the whole text after the log was cleared.

#include <QPlainTextEdit>
#include <cstdint>

namespace velmor::controller {
struct LogFont;
}
namespace velmor::ui {
class PageLog;
}

namespace velmor::gui {

class LogPane : public QPlainTextEdit {
    Q_OBJECT
  public:
    LogPane(const ui::PageLog& log, const controller::LogFont& font, QWidget* parent = nullptr);

    void Refresh();
    // Makes the pane at least as wide as a hex dump line of the widest kind (a flash
    // dump, six-digit addresses) with its scroll bar, so no dump line wraps.
    void FitDumpLines();

  private:
    const ui::PageLog& log_;
    std::uint64_t shownClears_ = 0;
    std::size_t shownSize_ = 0;
    std::uint64_t shownRevision_ = ~std::uint64_t{0};
};

}  // namespace velmor::gui
