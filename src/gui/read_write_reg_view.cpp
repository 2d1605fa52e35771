#include "gui/read_write_reg_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>

#include "controller/main_operation.h"
#include "gui/field_widgets.h"
#include "gui/model_binding.h"
#include "gui/qt_timer_service.h"

namespace velmor::gui {

namespace {

using Dlg = registers::CReadWriteRegDlg;

// Translation context of the page's captions.
constexpr const char* kCaptionContext = "CReadWriteRegDlg";

// The log uses "\r\n" line ends; the text view wants plain "\n".
QString LogDisplayText(const std::string& text) {
    return QString::fromStdString(text).remove(QLatin1Char('\r'));
}

// The nearest font to the log font: the named face first, then CJK-capable
// faces found on Linux desktops (monospaced first, so dump columns line up),
// at the log font's pixel height.
QFont LogDisplayFont(const controller::LogFont& logFont) {
    QFont font;
    font.setFamilies({QString::fromStdString(logFont.face), QStringLiteral("SimSun"),
                      QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Micro Hei Mono"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Noto Sans Mono CJK SC")});
    font.setPixelSize(logFont.height > 0 ? logFont.height : 13);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QGroupBox* Group(const QString& title, QLayout* layout) {
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

}  // namespace

ReadWriteRegView::ReadWriteRegView(registers::CReadWriteRegDlg& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setObjectName(QStringLiteral("ReadWriteRegView"));
    timers_ = new QtTimerService([this](int id) { model_.OnTimer(id); }, this);
    model_.SetTimerService(timers_);

    auto* controls = new QVBoxLayout;
    controls->addWidget(BuildRegisterGroup());
    controls->addWidget(BuildVersionGroup());
    controls->addWidget(BuildFlashGroup());
    controls->addWidget(BuildInkTimingGroup());
    controls->addWidget(BuildFlashSpitGroup());
    controls->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(BuildLog(), 1);

    // Changes may be announced from flash workers; the binding hands them to the
    // GUI thread as one queued refresh per burst.
    binding_ = new ModelBinding(
        model_, [this] { Refresh(); }, this);
    Refresh();
}

ReadWriteRegView::~ReadWriteRegView() {
    delete binding_;  // the model no longer reaches this view
    model_.SetTimerService(nullptr);
}

QWidget* ReadWriteRegView::BuildRegisterGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("地址(0x)")), 0, 1);
    grid->addWidget(new QLabel(tr("数据")), 0, 2);
    grid->addWidget(Button(model_.writeMbButton, "writeMbButton", &Dlg::OnWriteMbReg), 1, 0);
    grid->addWidget(Text(model_.mbAddress, "mbAddress", 4), 1, 1);
    grid->addWidget(Text(model_.mbData, "mbData", 4), 1, 2);
    grid->addWidget(Button(model_.writeHbButton, "writeHbButton", &Dlg::OnWriteHbReg), 2, 0);
    grid->addWidget(Text(model_.hbAddress, "hbAddress", 4), 2, 1);
    grid->addWidget(Text(model_.hbData, "hbData", 4), 2, 2);
    grid->addWidget(Button(model_.readRegsButton, "readRegsButton", &Dlg::OnReadRegs), 3, 0);
    grid->addWidget(Text(model_.readAddress, "readAddress", 4), 3, 1);
    grid->addWidget(Text(model_.readCount, "readCount"), 3, 2);
    grid->addWidget(Button(model_.readMbButton, "readMbButton", &Dlg::OnReadMb), 4, 0);
    grid->addWidget(Button(model_.readHbButton, "readHbButton", &Dlg::OnReadHb), 4, 1);
    grid->addWidget(Choice(model_.headBoard, "headBoard", kCaptionContext), 4, 2, 1, 2);
    grid->addWidget(Button(model_.testButton, "testButton", &Dlg::OnToggleTest), 5, 0);
    grid->addWidget(Text(model_.testPeriod, "testPeriod"), 5, 1);
    grid->addWidget(new QLabel(tr("ms")), 5, 2);
    return Group(tr("主板和喷车板读写"), grid);
}

QWidget* ReadWriteRegView::BuildVersionGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(Button(model_.mbResetButton, "mbResetButton", &Dlg::OnMbReset), 0, 0);
    grid->addWidget(Button(model_.hbResetButton, "hbResetButton", &Dlg::OnHbReset), 0, 1);
    grid->addWidget(
        Button(model_.firmwareResetButton, "firmwareResetButton", &Dlg::OnFirmwareReset), 0, 2);
    grid->addWidget(Button(model_.firmwareButton, "firmwareButton", &Dlg::OnFirmwareVersion), 1, 0);
    grid->addWidget(Button(model_.mbLogicButton, "mbLogicButton", &Dlg::OnMbLogic), 1, 1);
    grid->addWidget(Button(model_.hbLogicButton, "hbLogicButton", &Dlg::OnHbLogic), 1, 2);
    grid->addWidget(Button(model_.getStatusButton, "getStatusButton", nullptr), 1, 3);
    return Group(tr("版本号和复位操作"), grid);
}

QWidget* ReadWriteRegView::BuildFlashGroup() {
    const auto idle = [this] { return !model_.FlashRunning(); };
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("产生数据方式")), 0, 0);
    grid->addWidget(Choice(model_.pattern, "pattern"), 0, 1, 1, 2);
    grid->addWidget(new QLabel(tr("地址(0x)")), 1, 0);
    grid->addWidget(Text(model_.flashAddress, "flashAddress", 6), 1, 1);
    grid->addWidget(new QLabel(tr("字节数")), 2, 0);
    grid->addWidget(Text(model_.flashLength, "flashLength"), 2, 1);
    grid->addWidget(Button(model_.flashWriteButton, "flashWriteButton", &Dlg::OnFlashWrite, idle),
                    3, 0);
    grid->addWidget(Button(model_.flashReadButton, "flashReadButton", &Dlg::OnFlashRead, idle), 3,
                    1);
    return Group(tr("Flash 读写"), grid);
}

QWidget* ReadWriteRegView::BuildInkTimingGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("供墨时间")), 0, 0);
    grid->addWidget(Text(model_.inkSupplyTime, "inkSupplyTime"), 0, 1);
    grid->addWidget(new QLabel(tr("*100ms")), 0, 2);
    grid->addWidget(new QLabel(tr("白墨循环间隔")), 1, 0);
    grid->addWidget(Text(model_.whiteInkInterval, "whiteInkInterval"), 1, 1);
    grid->addWidget(new QLabel(tr("Minute")), 1, 2);
    grid->addWidget(new QLabel(tr("白墨循环时间")), 2, 0);
    grid->addWidget(Text(model_.whiteInkTime, "whiteInkTime"), 2, 1);
    grid->addWidget(new QLabel(tr("Second")), 2, 2);
    grid->addWidget(Button(model_.setInkTimingButton, "setInkTimingButton", &Dlg::OnSetInkTiming),
                    3, 1);
    return Group(QString(), grid);
}

QWidget* ReadWriteRegView::BuildFlashSpitGroup() {
    auto* row = new QHBoxLayout;
    row->addWidget(Button(model_.flashSpitButton, "flashSpitButton", &Dlg::OnFlashSpit));
    row->addWidget(Choice(model_.headType, "headType"));
    row->addWidget(Choice(model_.frequency, "frequency"));
    return Group(QString(), row);
}

QWidget* ReadWriteRegView::BuildLog() {
    log_ = new QPlainTextEdit;
    log_->setObjectName(QStringLiteral("log"));
    log_->setReadOnly(true);
    log_->setFont(LogDisplayFont(model_.LogFontSpec()));
    QPalette palette = log_->palette();
    palette.setColor(QPalette::Text, QColor(0x00, 0x00, 0xFF));
    log_->setPalette(palette);

    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 100);
    refreshers_.push_back([this] {
        // A busy time-out reports 1000: the bar shows it full, as the range allows.
        progress_->setValue(std::clamp(model_.Progress(), 0, 100));
    });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progress_, 1);
    bottom->addWidget(Button(model_.clearLogButton, "clearLogButton", &Dlg::OnClearLog));

    auto* column = new QVBoxLayout;
    column->addWidget(log_, 1);
    column->addLayout(bottom);
    auto* box = new QWidget;
    box->setLayout(column);
    return box;
}

QLineEdit* ReadWriteRegView::Text(ui::TextField& field, const char* name, int maxLength) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) {
        edit->setMaxLength(maxLength);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('W')) *
                              (maxLength + 3));
    }
    connect(edit, &QLineEdit::textChanged, this,
            [&field](const QString& text) { field.text = text.toStdString(); });
    refreshers_.push_back([edit, &field] { Apply(edit, field); });
    return edit;
}

QComboBox* ReadWriteRegView::Choice(ui::ChoiceField& field, const char* name,
                                    const char* captionContext) {
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    // The selection goes back by index, so the model keeps its own item texts.
    connect(combo, &QComboBox::currentIndexChanged, this,
            [&field](int index) { field.selected = index; });
    refreshers_.push_back(
        [combo, &field, captionContext] { Apply(combo, field, captionContext); });
    return combo;
}

QPushButton* ReadWriteRegView::Button(ui::ButtonField& field, const char* name, Handler handler,
                                      std::function<bool()> gate) {
    auto* button = new QPushButton;
    button->setObjectName(QString::fromLatin1(name));
    if (handler != nullptr) {
        // Captures plain pointers: GCC 12's sanitizers misread a lambda that
        // captures `this` beside a member-function pointer.
        connect(button, &QPushButton::clicked, this, [model = &model_, view = this, handler] {
            (model->*handler)();
            view->Refresh();
        });
    }
    refreshers_.push_back([button, &field, gate] {
        ui::ButtonField shown = field;
        shown.enabled = field.enabled && (!gate || gate());
        Apply(button, shown, kCaptionContext);
    });
    return button;
}

void ReadWriteRegView::Refresh() {
    for (const auto& refresh : refreshers_) refresh();
    RefreshLog();
}

// Appends only what is new when the log grew; sets the whole text otherwise
// (cleared). Either way the caret ends at the end and is scrolled into view.
void ReadWriteRegView::RefreshLog() {
    const std::uint64_t revision = model_.LogRevision();
    if (revision == shownRevision_) return;
    shownRevision_ = revision;
    const auto update = model_.LogSince(shownClears_, shownSize_);
    if (update.whole || shownSize_ == 0) {
        log_->setPlainText(LogDisplayText(update.text));
    } else if (!update.text.empty()) {
        QTextCursor cursor(log_->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(LogDisplayText(update.text));
    }
    shownClears_ = update.clears;
    shownSize_ = update.size;
    log_->moveCursor(QTextCursor::End);
    log_->ensureCursorVisible();
}

}  // namespace velmor::gui
