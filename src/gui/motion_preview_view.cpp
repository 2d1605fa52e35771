#include "gui/motion_preview_view.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/field_widgets.h"
#include "gui/timeline_chart_widget.h"
#include "motion/motion_preview_dlg.h"

namespace velmor::gui {

namespace {

constexpr const char* kContext = "CMotionPreviewDlg";

QLabel* Line(const std::string& text, const char* name) {
    auto* label = new QLabel(FromModel(text));
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    return label;
}

}  // namespace

MotionPreviewView::MotionPreviewView(motion::CMotionPreviewDlg& model, QWidget* parent)
    : ModalDialogView(model, kContext, parent, Call(model, &motion::CMotionPreviewDlg::OnClose)) {
    setObjectName(QStringLiteral("MotionPreviewView"));
    const motion::TimelineChart& chart = model.chart;
    setWindowTitle(FromModel(chart.title));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Line(chart.total, "previewTotal"));
    if (!chart.empty.empty()) layout->addWidget(Line(chart.empty, "previewEmpty"));
    layout->addWidget(new TimelineChartWidget(chart, this), 1);
    layout->addWidget(Line(chart.note, "previewNote"));
    for (const std::string& remark : chart.remarks)
        layout->addWidget(Line(remark, "previewRemark"));

    auto* buttons = new QDialogButtonBox;
    QPushButton* close = Fields().Button(model.closeButton, "previewClose",
                                         Call(model, &motion::CMotionPreviewDlg::OnClose));
    buttons->addButton(close, QDialogButtonBox::AcceptRole);
    close->setDefault(true);
    layout->addWidget(buttons);
    Bind();
}

}  // namespace velmor::gui
