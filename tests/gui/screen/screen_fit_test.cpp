// The main window on a real X screen of a laptop's size (the test runs under Xvfb
// with the screen size in VELMOR_SCREEN): on every tab the window's frame stays
// inside the screen's available area and keeps its size, and every control of the
// page can be scrolled into view. Screenshots of every tab go to
// VELMOR_SCREENSHOT_DIR when it is set.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <cstdlib>
#include <string>

#include "controller/main_operation.h"
#include "drivers/sim/sim_driver.h"
#include "gui/log_pane.h"
#include "gui/main_window.h"
#include "shell/velmor_dlg.h"
#include "support/fake_timer_service.h"
#include "support/program_home.h"
#include "support/scripted_dialog_service.h"
#include "support/temp_dir.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

struct Setting {
    const char* language;
    std::uint8_t boardType;
};

void PrintTo(const Setting& s, std::ostream* os) { *os << s.language << int(s.boardType); }

class ScreenFit : public ::testing::TestWithParam<Setting> {};

// The named controls of `page` (the binder names every control it makes; Qt's own
// parts of a control are named "qt_..."), shown on the page.
QList<QWidget*> Controls(QWidget* page) {
    QList<QWidget*> controls;
    for (QWidget* w : page->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && w->isVisibleTo(page))
            controls.push_back(w);
    }
    return controls;
}

QRect Global(const QWidget* w) { return {w->mapToGlobal(QPoint(0, 0)), w->size()}; }

TEST_P(ScreenFit, EveryTabStaysOnTheScreenAndEveryControlCanBeScrolledIntoView) {
    const Setting setting = GetParam();
    testing::TempDir home;
    sim::SimDriver driver;
    driver.AddDevice();
    controller::CMainOperation operation;
    operation.programFolder = home.Path().string() + "/";
    testing::WriteFirstConfig(operation.programFolder, setting.boardType);
    operation.language = controller::LanguageOf(setting.language);
    operation.SetBoardType(setting.boardType);
    testing::ScriptedDialogService dialogs;
    testing::NoWaitSleeper sleeper;
    shell::CVelmorDlg model(operation, driver, dialogs);
    model.SetSleeper(sleeper);
    MainWindow view(model);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    testing::Settle();

    const QRect available = view.screen()->availableGeometry();
    const QSize size = view.size();
    const char* screenName = std::getenv("VELMOR_SCREEN");
    const char* shots = std::getenv("VELMOR_SCREENSHOT_DIR");
    for (int tab = 0; tab < view.Tabs()->count(); ++tab) {
        SCOPED_TRACE("tab " + std::to_string(tab));
        QTest::mouseClick(view.Tabs(), Qt::LeftButton, {}, view.Tabs()->tabRect(tab).center());
        testing::Settle();
        EXPECT_TRUE(available.contains(view.frameGeometry()))
            << "frame " << view.frameGeometry().width() << "x" << view.frameGeometry().height()
            << " at " << view.frameGeometry().x() << "," << view.frameGeometry().y();
        EXPECT_EQ(view.size(), size) << "the window changed its size with the tab";

        int shown = -1;
        for (int i = 0; view.PageScroll(i) != nullptr; ++i)
            if (view.PageScroll(i)->isVisible()) shown = i;
        ASSERT_GE(shown, 0);
        QScrollArea* scroll = view.PageScroll(shown);
        const QList<QWidget*> controls = Controls(view.PageView(shown));
        EXPECT_FALSE(controls.isEmpty());
        for (QWidget* control : controls) {
            scroll->ensureWidgetVisible(control, 0, 0);
            testing::Settle();
            const QRect port = Global(scroll->viewport()).intersected(available);
            const QRect at = Global(control);
            if (control->width() <= port.width() && control->height() <= port.height()) {
                EXPECT_TRUE(port.contains(at)) << control->objectName().toStdString();
            } else {
                EXPECT_TRUE(port.intersects(at)) << control->objectName().toStdString();
            }
        }
        scroll->horizontalScrollBar()->setValue(0);
        scroll->verticalScrollBar()->setValue(0);
        testing::Settle();
        if (shots != nullptr && screenName != nullptr) {
            const QString file =
                QStringLiteral("%1/window_%2_%3%4_tab%5.png")
                    .arg(QString::fromLocal8Bit(shots), QString::fromLatin1(screenName),
                         QString::fromLatin1(setting.language))
                    .arg(setting.boardType)
                    .arg(tab);
            EXPECT_TRUE(view.grab().save(file)) << file.toStdString();
        }
    }

    // The register page's log shows a whole dump line.
    auto* log = view.PageView(0)->findChild<LogPane*>();
    ASSERT_NE(log, nullptr);
    const int dumpLine = log->fontMetrics().horizontalAdvance(
        QStringLiteral("[1B0000-1B000F]: 00 01 02 03 - 04 05 06 07 - 08 09 0A 0B - 0C 0D 0E 0F "));
    EXPECT_GE(log->viewport()->width(), dumpLine);
    view.reject();
}

INSTANTIATE_TEST_SUITE_P(Layouts, ScreenFit,
                         ::testing::Values(Setting{"chs", 0}, Setting{"chs", 2}, Setting{"eng", 1}),
                         [](const ::testing::TestParamInfo<Setting>& info) {
                             return std::string(info.param.language) +
                                    std::to_string(info.param.boardType);
                         });

}  // namespace
}  // namespace velmor::gui
