#include "gui/log_pane.h"

#include <QTextCursor>

#include "controller/main_operation.h"
#include "ui/page_log.h"

namespace velmor::gui {

namespace {

// The log uses "\r\n" line ends; the text view wants plain "\n".
QString DisplayText(const std::string& text) {
    return QString::fromStdString(text).remove(QLatin1Char('\r'));
}

// The nearest font to the log font: the named face first, then CJK-capable
// faces found on Linux desktops (monospaced first, so dump columns line up),
// at the log font's pixel height.
QFont DisplayFont(const controller::LogFont& logFont) {
    QFont font;
    font.setFamilies({QString::fromStdString(logFont.face), QStringLiteral("SimSun"),
                      QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei Mono"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Sans Mono CJK SC")});
    font.setPixelSize(logFont.height > 0 ? logFont.height : 13);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

// "[1B0000-1B000F]: " and sixteen bytes with a "- " after every fourth.
constexpr int kDumpLineChars = 71;
// The vertical scroll bar and the text margins.
constexpr int kDumpLineSlack = 24;

}  // namespace

LogPane::LogPane(const ui::PageLog& log, const controller::LogFont& font, QWidget* parent)
    : QPlainTextEdit(parent), log_(log) {
    setObjectName(QStringLiteral("log"));
    setReadOnly(true);
    setFont(DisplayFont(font));
    QPalette colours = palette();
    colours.setColor(QPalette::Text, QColor(0x00, 0x00, 0xFF));
    setPalette(colours);
}

void LogPane::FitDumpLines() {
    const int line = fontMetrics().horizontalAdvance(QString(kDumpLineChars, QLatin1Char('0')));
    setMinimumWidth(line + 2 * frameWidth() + kDumpLineSlack);
}

void LogPane::Refresh() {
    const std::uint64_t revision = log_.Revision();
    if (revision == shownRevision_) return;
    shownRevision_ = revision;
    const ui::PageLog::Update update = log_.Since(shownClears_, shownSize_);
    if (update.whole || shownSize_ == 0) {
        setPlainText(DisplayText(update.text));
    } else if (!update.text.empty()) {
        QTextCursor cursor(document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(DisplayText(update.text));
    }
    shownClears_ = update.clears;
    shownSize_ = update.size;
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
}

}  // namespace velmor::gui
