#include "gui/prt_config_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

namespace velmor::gui {

namespace {

using Dlg = config::CPrtConfigDlg;
using config::HeadColumnFields;

// Translation context of the captions the binder makes.
constexpr const char* kCaptionContext = "CPrtConfigDlg";
constexpr std::array<const char*, config::kInkChannels> kInkCaptions{
    "Ink-k Pol",  "Ink-C Pol",  "Ink-M Pol",  "Ink-Y Pol",
    "Ink-LK Pol", "Ink-LC Pol", "Ink-LM Pol", "Ink-LY Pol"};

struct ColumnCaption {
    ui::ChoiceField HeadColumnFields::*field;
    const char* caption;
    const char* name;
};

constexpr ColumnCaption kColumnCaptions[] = {
    {&HeadColumnFields::hLLeftPol, "H-LLeft Pol", "hLLeftPol"},
    {&HeadColumnFields::hLRightPol, "H-LRight Pol", "hLRightPol"},
    {&HeadColumnFields::hRasterPol, "H-Raster Pol", "hRasterPol"},
    {&HeadColumnFields::inkSafePol, "Ink-Safe Pol", "inkSafePol"},
    {&HeadColumnFields::jetOriental, "Jet-Oriental", "jetOriental"},
    {&HeadColumnFields::prnLimitSel, "Prn-Limit Sel", "prnLimitSel"},
    {&HeadColumnFields::prnRasterSel, "Prn-Raster Sel", "prnRasterSel"},
};

QGroupBox* Group(const QString& title, QLayout* layout) {
    auto* box = new QGroupBox(title);
    box->setLayout(layout);
    return box;
}

}  // namespace

PrtConfigView::PrtConfigView(config::CPrtConfigDlg& model, QWidget* parent)
    : PageView(model, "PrtConfigView", kCaptionContext, parent), model_(model) {
    auto* left = new QVBoxLayout;
    left->addWidget(BuildPrintGroup());
    left->addWidget(BuildMainBoardGroup());
    left->addStretch(1);
    left->addWidget(BuildHiddenControls());

    auto* middle = new QVBoxLayout;
    middle->addWidget(BuildHeadBoardGroup());
    middle->addStretch(1);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(middle);
    layout->addWidget(BuildRightColumn(), 1);

    Bind();
}

PrtConfigView::~PrtConfigView() = default;

void PrtConfigView::ChoiceRow(QGridLayout* grid, int row, int column, const char* caption,
                              ui::ChoiceField& field, const char* name) {
    auto* label = new QLabel(tr(caption));
    grid->addWidget(label, row, column);
    grid->addWidget(Fields().Choice(field, name), row, column + 1);
    Fields().OnRefresh([label, &field] { label->setVisible(field.visible); });
}

QWidget* PrtConfigView::BuildPrintGroup() {
    config::ConfigPageFields& c = model_.controls;
    auto* grid = new QGridLayout;
    ChoiceRow(grid, 0, 0, "Orignal At", c.orignalAt, "orignalAt");
    auto* jetType = new QLabel(tr("JetType"));
    grid->addWidget(jetType, 1, 0);
    grid->addWidget(Fields().Choice(c.jetType, "jetType", false,
                                    [this](int index) { model_.OnJetTypeSelChange(index); }),
                    1, 1);
    ChoiceRow(grid, 2, 0, "RasterRes", c.rasterRes, "rasterRes");

    grid->addWidget(new QLabel(tr("供墨时间")), 3, 0);
    auto* ink = new QHBoxLayout;
    ink->addWidget(Fields().Text(c.inkSupplyTime, "inkSupplyTime", 3));
    ink->addWidget(new QLabel(tr("*100ms")));
    ink->addStretch(1);
    grid->addLayout(ink, 3, 1);
    ChoiceRow(grid, 4, 0, "点数", c.dotSize, "dotSize");
    grid->addWidget(Fields().Check(c.flashSpitOn, "flashSpitOn", "开闪喷"), 5, 0);
    grid->addWidget(Fields().Choice(c.flashFrequency, "flashFrequency"), 5, 1);

    auto* channels = new QGridLayout;
    const char* names[] = {"channel1", "channel2", "channel3", "channel4"};
    const char* captions[] = {"通道1", "通道2", "通道3", "通道4"};
    for (int i = 0; i < config::kFiberChannels; ++i)
        channels->addWidget(
            Fields().Check(c.channels[static_cast<std::size_t>(i)], names[i], captions[i]), i / 2,
            i % 2);
    auto* channelBox = Group(tr("光纤通道"), channels);
    grid->addWidget(channelBox, 6, 0, 1, 2);
    return Group(tr("打印设置"), grid);
}

QWidget* PrtConfigView::BuildMainBoardGroup() {
    config::ConfigPageFields& c = model_.controls;
    auto* grid = new QGridLayout;
    // "M-LLeft Pol" (single-board layout) and "Double-Y Sel" (fiber layout) share
    // a row; the motor directions' rows fold away in the fiber layout.
    ChoiceRow(grid, 0, 0, "M-LLeft Pol", c.mLLeftPol, "mLLeftPol");
    ChoiceRow(grid, 0, 0, "Double-Y Sel", c.doubleYSel, "doubleYSel");
    ChoiceRow(grid, 1, 0, "M-LRight", c.mLRight, "mLRight");
    ChoiceRow(grid, 2, 0, "M-Raster", c.mRaster, "mRaster");
    ChoiceRow(grid, 3, 0, "MotoX-Dir", c.motoXDir, "motoXDir");
    ChoiceRow(grid, 4, 0, "MotoY-Dir", c.motoYDir, "motoYDir");
    ChoiceRow(grid, 5, 0, "Ink-Auto En", c.inkAutoEn, "inkAutoEn");
    ChoiceRow(grid, 6, 0, "X-Limit Sel", c.xLimitSel, "xLimitSel");
    ChoiceRow(grid, 7, 0, "Y-Limit Sel", c.yLimitSel, "yLimitSel");
    ChoiceRow(grid, 8, 0, "X-Raster", c.xRaster, "xRaster");
    ChoiceRow(grid, 9, 0, "Y-Raster", c.yRaster, "yRaster");
    ChoiceRow(grid, 10, 0, "M_Pol_Waste", c.mPolWaste, "mPolWaste");
    return Group(tr("主板"), grid);
}

QWidget* PrtConfigView::BuildHeadBoardGroup() {
    config::ConfigPageFields& c = model_.controls;
    auto* grid = new QGridLayout;
    grid->addWidget(Fields().CaptionLabel(c.mainColumnTitle, "mainColumnTitle"), 0, 1);
    grid->addWidget(Fields().CaptionLabel(c.secondColumnTitle, "secondColumnTitle"), 0, 2);

    int row = 1;
    const auto addRow = [&](const char* caption, ui::ChoiceField& main, ui::ChoiceField& second,
                            const std::string& name) {
        grid->addWidget(new QLabel(tr(caption)), row, 0);
        grid->addWidget(Fields().Choice(main, ("main_" + name).c_str()), row, 1);
        grid->addWidget(Fields().Choice(second, ("second_" + name).c_str()), row, 2);
        ++row;
    };
    for (const ColumnCaption& column : kColumnCaptions)
        addRow(column.caption, c.mainColumn.*column.field, c.secondColumn.*column.field,
               column.name);
    for (std::size_t i = 0; i < kInkCaptions.size(); ++i)
        addRow(kInkCaptions[i], c.mainColumn.inkPol[i], c.secondColumn.inkPol[i],
               "inkPol" + std::to_string(i));
    // The carriage limit polarities: shown, never editable, one column only.
    ChoiceRow(grid, row, 0, "P-LLeft pol", c.pLLeftPol, "pLLeftPol");
    ChoiceRow(grid, row + 1, 0, "P-LRight pol", c.pLRightPol, "pLRightPol");
    return Group(tr("喷车板"), grid);
}

// The controls that carry no parameter: made, bound and hidden, as the page keeps them.
QWidget* PrtConfigView::BuildHiddenControls() {
    config::ConfigPageFields& c = model_.controls;
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(Fields().Choice(c.clearAt, "clearAt"));
    row->addWidget(Fields().Choice(c.autoInitEn, "autoInitEn"));
    row->addWidget(Fields().Choice(c.memSize, "memSize"));
    row->addWidget(Fields().Choice(c.motorZDir, "motorZDir"));
    row->addWidget(Fields().Choice(c.drop10, "drop10"));
    row->addWidget(Fields().Choice(c.drop32, "drop32"));
    row->addWidget(Fields().Choice(c.dropTick, "dropTick"));
    row->addWidget(Fields().Text(c.cfg, "cfg", 4));
    row->addWidget(
        Fields().Button(model_.defaultButton, "defaultButton", Call(model_, &Dlg::OnDefault)));
    row->addWidget(Fields().Button(model_.openFileButton, "openFileButton", {}));
    row->addWidget(Fields().Button(model_.saveFileButton, "saveFileButton", {}));
    auto* box = new QWidget;
    box->setLayout(row);
    return box;
}

QWidget* PrtConfigView::BuildRightColumn() {
    auto* buttons = new QGridLayout;
    buttons->addWidget(
        Fields().Button(model_.downFirmButton, "downFirmButton", Call(model_, &Dlg::OnDownFirm)), 0,
        0);
    buttons->addWidget(Fields().Button(model_.readParamsButton, "readParamsButton",
                                       Call(model_, &Dlg::OnReadParams)),
                       0, 1);
    buttons->addWidget(Fields().Button(model_.initMotionButton, "initMotionButton",
                                       Call(model_, &Dlg::OnInitMovementDesign)),
                       0, 2);
    buttons->addWidget(
        Fields().Button(model_.loadButton, "loadButton", Call(model_, &Dlg::OnLoadFile)), 1, 0);
    buttons->addWidget(Fields().Button(model_.saveButton, "saveButton", Call(model_, &Dlg::OnSave)),
                       1, 1);
    buttons->addWidget(
        Fields().Button(model_.saveAsButton, "saveAsButton", Call(model_, &Dlg::OnSaveAs)), 1, 2);

    QLabel* path = Fields().Label(model_.path, "path");
    path->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path->setWordWrap(true);

    auto* column = new QVBoxLayout;
    column->addLayout(buttons);
    column->addWidget(path);
    column->addLayout(LogWithProgress(model_.Log(), model_.LogFontSpec(), model_.clearButton,
                                      "clearButton", Call(model_, &Dlg::OnClearLog),
                                      [this] { return model_.TransferPercent(); }),
                      1);
    auto* box = new QWidget;
    box->setLayout(column);
    return box;
}

}  // namespace velmor::gui
