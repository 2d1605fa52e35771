// "预览" on the movement page opens the preview dialog; the dialog shows its
// model's chart and texts and closes through its model; the SVG of a chart is
// well-formed XML.
#include "gui/motion_preview_view.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QXmlStreamReader>

#include "config/config_preparation.h"
#include "gui/initial_move_ment_view.h"
#include "motion/initial_move_ment_dlg.h"
#include "motion/motion_preview_dlg.h"
#include "motion/motion_rig.h"
#include "motion/timeline_svg.h"
#include "support/motion_steps.h"
#include "support/scripted_dialog_service.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

// A main-board timeline of one X move of 1000 pulses at 4000 a second, LED 5.
motion::MotionTimeline OneXMove() {
    controller::OpenDocument doc;
    doc.SetBoardType(0);
    doc.cmdNames = {"InitMovement"};
    doc.motionList = {velmor::testing::XStep(1000)};
    const motion::DocumentImage made = config::DocumentImageOf(doc, controller::Language::kEnglish);
    return motion::RunStartMotion(made.image, made.commands, 0);
}

TEST(MotionPreviewView, ThePreviewButtonOpensTheDialog) {
    motion::testing::MotionRig rig{0};
    rig.op.firstConnection = 1;
    motion::testing::BriefSleeper sleeper;
    velmor::testing::ScriptedDialogService dialogs;
    motion::CInitialMoveMentDlg page{{rig.op, dialogs, nullptr, &sleeper}};
    page.OnInitDialog();
    page.SetDocumentImageMaker(&config::DocumentImageOf);
    InitialMoveMentView view{page};
    ASSERT_TRUE(velmor::testing::ShowExposed(view, 1160, 680));
    velmor::testing::ClickButton(&view, "previewButton");
    EXPECT_EQ(dialogs.dialogsRun, std::vector<int>{motion::CMotionPreviewDlg::kDialogId});
}

TEST(MotionPreviewView, ShowsTheChartAndClosesThroughItsModel) {
    motion::CMotionPreviewDlg model(OneXMove(), controller::Language::kEnglish);
    model.OnInitDialog();
    MotionPreviewView view(model, nullptr);
    view.show();
    EXPECT_EQ(view.windowTitle(), "Start-up motion preview");
    EXPECT_EQ(velmor::testing::FindWidget<QLabel>(&view, "previewTotal")->text(),
              "Total time: 250.0 ms");
    EXPECT_NE(velmor::testing::FindWidget<QLabel>(&view, "previewNote")->text().indexOf("estimate"),
              -1);
    velmor::testing::ClickButton(&view, "previewClose");
    EXPECT_TRUE(model.Ended());
    EXPECT_FALSE(view.isVisible());
}

TEST(TimelineSvg, IsWellFormedXmlWithABarPerMove) {
    motion::TimelineChart chart =
        motion::MakeTimelineChart(OneXMove(), controller::Language::kEnglish);
    chart.remarks.push_back("a <remark> & \"quotes\"");
    QXmlStreamReader xml(QByteArray::fromStdString(motion::TimelineSvg(chart)));
    int labels = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QStringLiteral("text") &&
            xml.readElementText() == QStringLiteral("1000 End"))
            ++labels;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(labels, 1);
}

}  // namespace
}  // namespace velmor::gui
