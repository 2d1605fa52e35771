#include "gui/clean_download_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "cleaning/clean_field_names.h"

namespace velmor::gui {

namespace {

using Dlg = cleaning::CCleanDownloadDlg;

// Translation context of the page's captions.
constexpr const char* kCaptionContext = "CCleanDownloadDlg";
constexpr int kEditWidth = 110;

QVBoxLayout* Column(std::initializer_list<QWidget*> groups) {
    auto* column = new QVBoxLayout;
    for (QWidget* group : groups) column->addWidget(group);
    column->addStretch(1);
    return column;
}

}  // namespace

CleanDownloadView::CleanDownloadView(cleaning::CCleanDownloadDlg& model, QWidget* parent)
    : PageView(model, "CleanDownloadView", kCaptionContext, parent), model_(model) {
    auto* columns = new QHBoxLayout;
    columns->addLayout(Column({BuildStationGroup(), BuildCarriageGroup()}));
    columns->addLayout(Column({BuildWiperGroup(), BuildStackGroup()}));
    columns->addLayout(Column({BuildMotionGroup(), BuildDcGroup()}));
    columns->addLayout(Column({BuildTimesGroup()}));
    columns->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addWidget(BuildFileRow());

    Bind();
}

CleanDownloadView::~CleanDownloadView() = default;

void CleanDownloadView::AddRow(QGridLayout* grid, ui::TextField& field, const char* name,
                               std::string_view caption, const char* unit) {
    const int row = grid->rowCount();
    grid->addWidget(Fields().LabelFor(field, std::string(caption)), row, 0);
    QLineEdit* edit = Fields().Text(field, name);
    edit->setFixedWidth(kEditWidth);
    grid->addWidget(edit, row, 1);
    if (unit != nullptr) grid->addWidget(Fields().LabelFor(field, unit), row, 2);
}

QGroupBox* CleanDownloadView::Group(const char* title, QGridLayout* grid) {
    auto* box = new QGroupBox(Fields().Caption(title));
    box->setLayout(grid);
    Fields().HideWhenEmpty(box);
    return box;
}

QWidget* CleanDownloadView::BuildStationGroup() {
    auto* grid = new QGridLayout;
    const auto list = [&](ui::ChoiceField& field, const char* name, const char* caption,
                          void (Dlg::*handler)(int)) {
        const int row = grid->rowCount();
        grid->addWidget(Fields().LabelFor(field, caption), row, 0);
        grid->addWidget(
            Fields().Choice(field, name, true,
                            [model = &model_, handler](int index) { (model->*handler)(index); }),
            row, 1);
    };
    list(model_.machineModel, "machineModel", "机型", &Dlg::OnModelSelChange);
    list(model_.headCount, "headCount", "头数", &Dlg::OnHeadCountSelChange);
    list(model_.stackType, "stackType", "墨栈类型", &Dlg::OnStackTypeSelChange);
    list(model_.wiperType, "wiperType", "刮片类型", &Dlg::OnWiperTypeSelChange);
    list(model_.motorType, "motorType", "电机类型", &Dlg::OnMotorTypeSelChange);
    return Group("机型设置", grid);
}

QWidget* CleanDownloadView::BuildCarriageGroup() {
    using namespace cleaning;
    cleaning::CleanParamFields& v = model_.values;
    auto* grid = new QGridLayout;
    AddRow(grid, v.carWiper1, "carWiper1", kWiper1.caption);
    AddRow(grid, v.carWiper2, "carWiper2", kWiper2.caption);
    AddRow(grid, v.carScrape1, "carScrape1", kScrape1.caption);
    AddRow(grid, v.carScrape2, "carScrape2", kScrape2.caption);
    AddRow(grid, v.carAccTime, "carAccTime", kCarAccTime.caption);
    AddRow(grid, v.carSpeed, "carSpeed", kCarSpeed.caption);
    AddRow(grid, v.flashDistance, "flashDistance", kFlashDistance.caption, "mm");
    AddRow(grid, v.cleanPos, "cleanPos", kCleanPos.caption, "mm");
    return Group("小车", grid);
}

QWidget* CleanDownloadView::BuildWiperGroup() {
    using namespace cleaning;
    cleaning::CleanParamFields& v = model_.values;
    auto* grid = new QGridLayout;
    AddRow(grid, v.wiperOut1, "wiperOut1", kWiperOut1.caption);
    AddRow(grid, v.wiperIn1, "wiperIn1", kWiperIn1.caption);
    AddRow(grid, v.wiperOut2, "wiperOut2", kWiperOut2.caption);
    AddRow(grid, v.wiperIn2, "wiperIn2", kWiperIn2.caption);
    AddRow(grid, v.wiperAcc, "wiperAcc", kWiperAcc.caption);
    AddRow(grid, v.wiperSpeed, "wiperSpeed", kWiperSpeed.caption);
    return Group("刮片", grid);
}

// The seven ink-stack fields take their captions from the model.
QWidget* CleanDownloadView::BuildStackGroup() {
    cleaning::CleanParamFields& v = model_.values;
    const std::pair<ui::TextField*, const char*> rows[] = {
        {&v.platformFlash, "platformFlash"},   {&v.platformDown, "platformDown"},
        {&v.platformScrape, "platformScrape"}, {&v.platformAcc, "platformAcc"},
        {&v.platformSuck, "platformSuck"},     {&v.platformUp, "platformUp"},
        {&v.platformSpeed, "platformSpeed"}};
    static const char* const kLabelNames[] = {"platformLabel0", "platformLabel1", "platformLabel2",
                                              "platformLabel3", "platformLabel4", "platformLabel5",
                                              "platformLabel6"};
    auto* grid = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        grid->addWidget(Fields().CaptionLabel(model_.platformLabels[i], kLabelNames[i]), i, 0);
        QLineEdit* edit = Fields().Text(*rows[i].first, rows[i].second);
        edit->setFixedWidth(kEditWidth);
        grid->addWidget(edit, i, 1);
    }
    return Group("墨栈", grid);
}

QWidget* CleanDownloadView::BuildMotionGroup() {
    using namespace cleaning;
    cleaning::CleanParamFields& v = model_.values;
    auto* grid = new QGridLayout;
    AddRow(grid, v.xGear, "xGear", kXGear.caption);
    AddRow(grid, v.yGear, "yGear", kYGear.caption);
    AddRow(grid, v.travel, "travel", kTravel.caption);
    AddRow(grid, v.xPrintSpeed, "xPrintSpeed", kXPrintSpeed.caption);
    AddRow(grid, v.yPrintSpeed, "yPrintSpeed", kYPrintSpeed.caption);
    AddRow(grid, v.xAccDistance, "xAccDistance", kXAccDistance.caption);
    AddRow(grid, v.xManualSpeed, "xManualSpeed", kXManualSpeed.caption);
    AddRow(grid, v.yManualSpeed, "yManualSpeed", kYManualSpeed.caption);
    AddRow(grid, v.yAccDistance, "yAccDistance", kYAccDistance.caption);
    return Group("运动参数", grid);
}

QWidget* CleanDownloadView::BuildDcGroup() {
    using namespace cleaning;
    cleaning::CleanParamFields& v = model_.values;
    auto* grid = new QGridLayout;
    AddRow(grid, v.dcCleanEnd, "dcCleanEnd", kCleanEndLevel.caption);
    AddRow(grid, v.dcStart, "dcStart", kStartLevel.caption);
    AddRow(grid, v.dcLowEnd, "dcLowEnd", kLowEndLevel.caption);
    AddRow(grid, v.dcMidEnd, "dcMidEnd", kMidEndLevel.caption);
    AddRow(grid, v.dcLowFrequency, "dcLowFrequency", kLowFrequency.caption);
    AddRow(grid, v.dcMidFrequency, "dcMidFrequency", kMidFrequency.caption);
    return Group("直流电机", grid);
}

QWidget* CleanDownloadView::BuildTimesGroup() {
    static const char* const kNames[] = {"time0", "time1", "time2", "time3", "time4", "time5",
                                         "time6", "time7", "time8", "time9", "time10"};
    auto* grid = new QGridLayout;
    for (std::size_t i = 0; i < cleaning::kTimes.size(); ++i)
        AddRow(grid, model_.values.times[i], kNames[i], cleaning::kTimes[i].caption);
    return Group("清洗时间", grid);
}

QWidget* CleanDownloadView::BuildFileRow() {
    QLabel* path = Fields().Label(model_.path, "path");
    path->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path->setMinimumWidth(200);

    auto* row = new QHBoxLayout;
    row->addWidget(path, 1);
    row->addWidget(Fields().Button(model_.saveButton, "saveButton", Call(model_, &Dlg::OnSave)));
    row->addWidget(
        Fields().Button(model_.saveAsButton, "saveAsButton", Call(model_, &Dlg::OnSaveAs)));
    row->addWidget(
        Fields().Button(model_.loadButton, "loadButton", Call(model_, &Dlg::OnLoadFile)));
    row->addWidget(
        Fields().Button(model_.downloadButton, "downloadButton", Call(model_, &Dlg::OnDownload)));
    row->addWidget(
        Fields().Button(model_.initSkipButton, "initSkipButton", Call(model_, &Dlg::OnInitSkip)));
    auto* box = new QWidget;
    box->setLayout(row);
    return box;
}

}  // namespace velmor::gui
