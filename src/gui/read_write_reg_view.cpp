#include "gui/read_write_reg_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/log_pane.h"
#include "gui/model_binding.h"
#include "gui/qt_timer_service.h"

namespace velmor::gui {

namespace {

using Dlg = registers::CReadWriteRegDlg;

// Translation context of the page's captions.
constexpr const char* kCaptionContext = "CReadWriteRegDlg";

QGroupBox* Group(const QString& title, QLayout* layout) {
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

}  // namespace

ReadWriteRegView::ReadWriteRegView(registers::CReadWriteRegDlg& model, QWidget* parent)
    : QWidget(parent), model_(model), fields_(this, kCaptionContext, [this] { Refresh(); }) {
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
    grid->addWidget(
        fields_.Button(model_.writeMbButton, "writeMbButton", Call(model_, &Dlg::OnWriteMbReg)), 1,
        0);
    grid->addWidget(fields_.Text(model_.mbAddress, "mbAddress", 4), 1, 1);
    grid->addWidget(fields_.Text(model_.mbData, "mbData", 4), 1, 2);
    grid->addWidget(
        fields_.Button(model_.writeHbButton, "writeHbButton", Call(model_, &Dlg::OnWriteHbReg)), 2,
        0);
    grid->addWidget(fields_.Text(model_.hbAddress, "hbAddress", 4), 2, 1);
    grid->addWidget(fields_.Text(model_.hbData, "hbData", 4), 2, 2);
    grid->addWidget(
        fields_.Button(model_.readRegsButton, "readRegsButton", Call(model_, &Dlg::OnReadRegs)), 3,
        0);
    grid->addWidget(fields_.Text(model_.readAddress, "readAddress", 4), 3, 1);
    grid->addWidget(fields_.Text(model_.readCount, "readCount"), 3, 2);
    grid->addWidget(
        fields_.Button(model_.readMbButton, "readMbButton", Call(model_, &Dlg::OnReadMb)), 4, 0);
    grid->addWidget(
        fields_.Button(model_.readHbButton, "readHbButton", Call(model_, &Dlg::OnReadHb)), 4, 1);
    grid->addWidget(fields_.Choice(model_.headBoard, "headBoard", true), 4, 2, 1, 2);
    grid->addWidget(
        fields_.Button(model_.testButton, "testButton", Call(model_, &Dlg::OnToggleTest)), 5, 0);
    grid->addWidget(fields_.Text(model_.testPeriod, "testPeriod"), 5, 1);
    grid->addWidget(new QLabel(tr("ms")), 5, 2);
    return Group(tr("主板和喷车板读写"), grid);
}

QWidget* ReadWriteRegView::BuildVersionGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(
        fields_.Button(model_.mbResetButton, "mbResetButton", Call(model_, &Dlg::OnMbReset)), 0, 0);
    grid->addWidget(
        fields_.Button(model_.hbResetButton, "hbResetButton", Call(model_, &Dlg::OnHbReset)), 0, 1);
    grid->addWidget(fields_.Button(model_.firmwareResetButton, "firmwareResetButton",
                                   Call(model_, &Dlg::OnFirmwareReset)),
                    0, 2);
    grid->addWidget(fields_.Button(model_.firmwareButton, "firmwareButton",
                                   Call(model_, &Dlg::OnFirmwareVersion)),
                    1, 0);
    grid->addWidget(
        fields_.Button(model_.mbLogicButton, "mbLogicButton", Call(model_, &Dlg::OnMbLogic)), 1, 1);
    grid->addWidget(
        fields_.Button(model_.hbLogicButton, "hbLogicButton", Call(model_, &Dlg::OnHbLogic)), 1, 2);
    grid->addWidget(fields_.Button(model_.getStatusButton, "getStatusButton", {}), 1, 3);
    return Group(tr("版本号和复位操作"), grid);
}

QWidget* ReadWriteRegView::BuildFlashGroup() {
    const auto idle = [this] { return !model_.FlashRunning(); };
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("产生数据方式")), 0, 0);
    grid->addWidget(fields_.Choice(model_.pattern, "pattern"), 0, 1, 1, 2);
    grid->addWidget(new QLabel(tr("地址(0x)")), 1, 0);
    grid->addWidget(fields_.Text(model_.flashAddress, "flashAddress", 6), 1, 1);
    grid->addWidget(new QLabel(tr("字节数")), 2, 0);
    grid->addWidget(fields_.Text(model_.flashLength, "flashLength"), 2, 1);
    grid->addWidget(fields_.Button(model_.flashWriteButton, "flashWriteButton",
                                   Call(model_, &Dlg::OnFlashWrite), idle),
                    3, 0);
    grid->addWidget(fields_.Button(model_.flashReadButton, "flashReadButton",
                                   Call(model_, &Dlg::OnFlashRead), idle),
                    3, 1);
    return Group(tr("Flash 读写"), grid);
}

QWidget* ReadWriteRegView::BuildInkTimingGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("供墨时间")), 0, 0);
    grid->addWidget(fields_.Text(model_.inkSupplyTime, "inkSupplyTime"), 0, 1);
    grid->addWidget(new QLabel(tr("*100ms")), 0, 2);
    grid->addWidget(new QLabel(tr("白墨循环间隔")), 1, 0);
    grid->addWidget(fields_.Text(model_.whiteInkInterval, "whiteInkInterval"), 1, 1);
    grid->addWidget(new QLabel(tr("Minute")), 1, 2);
    grid->addWidget(new QLabel(tr("白墨循环时间")), 2, 0);
    grid->addWidget(fields_.Text(model_.whiteInkTime, "whiteInkTime"), 2, 1);
    grid->addWidget(new QLabel(tr("Second")), 2, 2);
    grid->addWidget(fields_.Button(model_.setInkTimingButton, "setInkTimingButton",
                                   Call(model_, &Dlg::OnSetInkTiming)),
                    3, 1);
    return Group(QString(), grid);
}

QWidget* ReadWriteRegView::BuildFlashSpitGroup() {
    auto* row = new QHBoxLayout;
    row->addWidget(
        fields_.Button(model_.flashSpitButton, "flashSpitButton", Call(model_, &Dlg::OnFlashSpit)));
    row->addWidget(fields_.Choice(model_.headType, "headType"));
    row->addWidget(fields_.Choice(model_.frequency, "frequency"));
    return Group(QString(), row);
}

QWidget* ReadWriteRegView::BuildLog() {
    log_ = new LogPane(model_.Log(), model_.LogFontSpec());
    log_->FitDumpLines();

    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 100);
    fields_.OnRefresh([this] {
        // A busy time-out reports 1000: the bar shows it full, as the range allows.
        progress_->setValue(std::clamp(model_.Progress(), 0, 100));
    });

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(progress_, 1);
    bottom->addWidget(
        fields_.Button(model_.clearLogButton, "clearLogButton", Call(model_, &Dlg::OnClearLog)));

    auto* column = new QVBoxLayout;
    column->addWidget(log_, 1);
    column->addLayout(bottom);
    auto* box = new QWidget;
    box->setLayout(column);
    return box;
}

void ReadWriteRegView::Refresh() {
    fields_.Refresh();
    log_->Refresh();
}

}  // namespace velmor::gui
