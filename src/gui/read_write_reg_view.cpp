#include "gui/read_write_reg_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

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
    : PageView(model, "ReadWriteRegView", kCaptionContext, parent), model_(model) {
    model_.SetTimerService(MakeTimers([this](int id) { model_.OnTimer(id); }));

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

    Bind();
}

ReadWriteRegView::~ReadWriteRegView() { model_.SetTimerService(nullptr); }

QWidget* ReadWriteRegView::BuildRegisterGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("地址(0x)")), 0, 1);
    grid->addWidget(new QLabel(tr("数据")), 0, 2);
    grid->addWidget(
        Fields().Button(model_.writeMbButton, "writeMbButton", Call(model_, &Dlg::OnWriteMbReg)), 1,
        0);
    grid->addWidget(Fields().Text(model_.mbAddress, "mbAddress", 4), 1, 1);
    grid->addWidget(Fields().Text(model_.mbData, "mbData", 4), 1, 2);
    grid->addWidget(
        Fields().Button(model_.writeHbButton, "writeHbButton", Call(model_, &Dlg::OnWriteHbReg)), 2,
        0);
    grid->addWidget(Fields().Text(model_.hbAddress, "hbAddress", 4), 2, 1);
    grid->addWidget(Fields().Text(model_.hbData, "hbData", 4), 2, 2);
    grid->addWidget(
        Fields().Button(model_.readRegsButton, "readRegsButton", Call(model_, &Dlg::OnReadRegs)), 3,
        0);
    grid->addWidget(Fields().Text(model_.readAddress, "readAddress", 4), 3, 1);
    grid->addWidget(Fields().Text(model_.readCount, "readCount"), 3, 2);
    grid->addWidget(
        Fields().Button(model_.readMbButton, "readMbButton", Call(model_, &Dlg::OnReadMb)), 4, 0);
    grid->addWidget(
        Fields().Button(model_.readHbButton, "readHbButton", Call(model_, &Dlg::OnReadHb)), 4, 1);
    grid->addWidget(Fields().Choice(model_.headBoard, "headBoard", true), 4, 2, 1, 2);
    grid->addWidget(
        Fields().Button(model_.testButton, "testButton", Call(model_, &Dlg::OnToggleTest)), 5, 0);
    grid->addWidget(Fields().Text(model_.testPeriod, "testPeriod"), 5, 1);
    grid->addWidget(new QLabel(tr("ms")), 5, 2);
    return Group(tr("主板和喷车板读写"), grid);
}

QWidget* ReadWriteRegView::BuildVersionGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(
        Fields().Button(model_.mbResetButton, "mbResetButton", Call(model_, &Dlg::OnMbReset)), 0,
        0);
    grid->addWidget(
        Fields().Button(model_.hbResetButton, "hbResetButton", Call(model_, &Dlg::OnHbReset)), 0,
        1);
    grid->addWidget(Fields().Button(model_.firmwareResetButton, "firmwareResetButton",
                                    Call(model_, &Dlg::OnFirmwareReset)),
                    0, 2);
    grid->addWidget(Fields().Button(model_.firmwareButton, "firmwareButton",
                                    Call(model_, &Dlg::OnFirmwareVersion)),
                    1, 0);
    grid->addWidget(
        Fields().Button(model_.mbLogicButton, "mbLogicButton", Call(model_, &Dlg::OnMbLogic)), 1,
        1);
    grid->addWidget(
        Fields().Button(model_.hbLogicButton, "hbLogicButton", Call(model_, &Dlg::OnHbLogic)), 1,
        2);
    grid->addWidget(Fields().Button(model_.getStatusButton, "getStatusButton", {}), 1, 3);
    return Group(tr("版本号和复位操作"), grid);
}

QWidget* ReadWriteRegView::BuildFlashGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("产生数据方式")), 0, 0);
    grid->addWidget(Fields().Choice(model_.pattern, "pattern"), 0, 1, 1, 2);
    grid->addWidget(new QLabel(tr("地址(0x)")), 1, 0);
    grid->addWidget(Fields().Text(model_.flashAddress, "flashAddress", 6), 1, 1);
    grid->addWidget(new QLabel(tr("字节数")), 2, 0);
    grid->addWidget(Fields().Text(model_.flashLength, "flashLength"), 2, 1);
    grid->addWidget(Fields().Button(model_.flashWriteButton, "flashWriteButton",
                                    Call(model_, &Dlg::OnFlashWrite)),
                    3, 0);
    grid->addWidget(
        Fields().Button(model_.flashReadButton, "flashReadButton", Call(model_, &Dlg::OnFlashRead)),
        3, 1);
    return Group(tr("Flash 读写"), grid);
}

QWidget* ReadWriteRegView::BuildInkTimingGroup() {
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("供墨时间")), 0, 0);
    grid->addWidget(Fields().Text(model_.inkSupplyTime, "inkSupplyTime"), 0, 1);
    grid->addWidget(new QLabel(tr("*100ms")), 0, 2);
    grid->addWidget(new QLabel(tr("白墨循环间隔")), 1, 0);
    grid->addWidget(Fields().Text(model_.whiteInkInterval, "whiteInkInterval"), 1, 1);
    grid->addWidget(new QLabel(tr("Minute")), 1, 2);
    grid->addWidget(new QLabel(tr("白墨循环时间")), 2, 0);
    grid->addWidget(Fields().Text(model_.whiteInkTime, "whiteInkTime"), 2, 1);
    grid->addWidget(new QLabel(tr("Second")), 2, 2);
    grid->addWidget(Fields().Button(model_.setInkTimingButton, "setInkTimingButton",
                                    Call(model_, &Dlg::OnSetInkTiming)),
                    3, 1);
    return Group(QString(), grid);
}

QWidget* ReadWriteRegView::BuildFlashSpitGroup() {
    auto* row = new QHBoxLayout;
    row->addWidget(Fields().Button(model_.flashSpitButton, "flashSpitButton",
                                   Call(model_, &Dlg::OnFlashSpit)));
    row->addWidget(Fields().Choice(model_.headType, "headType"));
    row->addWidget(Fields().Choice(model_.frequency, "frequency"));
    return Group(QString(), row);
}

QWidget* ReadWriteRegView::BuildLog() {
    auto* box = new QWidget;
    box->setLayout(LogWithProgress(model_.Log(), model_.LogFontSpec(), model_.clearLogButton,
                                   "clearLogButton", Call(model_, &Dlg::OnClearLog),
                                   [this] { return model_.ProgressPercent(); }));
    return box;
}

}  // namespace velmor::gui
