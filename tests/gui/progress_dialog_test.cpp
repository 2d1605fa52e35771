#include "gui/progress_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <thread>

#include "controller/main_operation.h"
#include "gui/qt_dialog_service.h"
#include "support/fake_timer_service.h"
#include "ui/message_down.h"

namespace velmor::gui {
namespace {

TEST(ProgressDialogView, ShowsTheDotsAndClosesWhenTheWorkerSetsTheFlag) {
    controller::CMainOperation operation;
    ui::CMessageDown model(operation);
    ui::ScaledSleeper fast(50);  // 10 ms ticks
    model.SetSleeper(fast);
    const std::string message =
        ui::ProgressMessage(ui::ProgressKind::Saving, controller::Language::kChinese);
    model.Setup(message, ui::CMessageDown::kWatchSaveDone, 1000);

    // The worker finishes once the window has shown three dots.
    std::jthread worker([&](std::stop_token stop) {
        while (!stop.stop_requested() && model.Dots() < 3) std::this_thread::yield();
        operation.saveDone = 1;
    });
    ProgressDialog dialog(model, nullptr);
    EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
    const int result = dialog.exec();  // returns on the model's close request
    worker.join();

    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(model.CloseRequested());
    const int dots = model.Dots();
    EXPECT_GE(dots, 3);
    EXPECT_LT(dots, 1000);
    EXPECT_EQ(dialog.Text(), QString::fromStdString(message + std::string(dots, '.')));
}

TEST(ProgressDialogView, EscapeClosesEarlyAndStopsTheTickThread) {
    controller::CMainOperation operation;
    ui::CMessageDown model(operation);
    testing::EndlessSleeper endless;  // the first pause lasts until the window closes
    model.SetSleeper(endless);
    model.Setup("Loading", ui::CMessageDown::kWatchLoadDone, 1000);
    ProgressDialog dialog(model, nullptr);
    QTimer::singleShot(0, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    dialog.exec();
    // The tick thread has been stopped and joined: the dots stay where they are.
    const int dots = model.Dots();
    EXPECT_LE(dots, 2);
    QTest::qWait(20);
    EXPECT_EQ(model.Dots(), dots);
}

TEST(ProgressDialogView, DialogServiceRunsTheWindowToTheEnd) {
    controller::CMainOperation operation;
    ui::CMessageDown model(operation);
    ui::ScaledSleeper fast(100);
    model.SetSleeper(fast);
    model.Setup("Downloading", ui::CMessageDown::kWatchNone, 6);
    QtDialogService dialogs;
    dialogs.RunProgress(model);
    EXPECT_EQ(model.Dots(), 6);
    EXPECT_EQ(model.Text(), "Downloading......");
}

TEST(QtDialogServiceThreads, AMessageFromAWorkerThreadRunsOnTheGuiThread) {
    QtDialogService dialogs;
    QThread* shownOn = nullptr;
    // Closes the box once it is up, noting the thread it lives on.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shownOn = box->thread();
            box->accept();
        }
    });
    closer.start(5);
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        dialogs.ShowMessage("Failed to find endpoint.", "");
        returned = true;
    });
    for (int i = 0; i < 2000 && !returned; ++i) QTest::qWait(5);
    if (!returned) {
        worker.detach();  // joining would wait on a worker that waits on this thread
        FAIL() << "the message never showed";
    }
    worker.join();
    EXPECT_EQ(shownOn, QApplication::instance()->thread());
}

TEST(DialogServiceFilters, NeutralFiltersBecomeQtFilterText) {
    EXPECT_EQ(FilterText({{"Config Files", {"*.cfg"}}, {"All Files", {"*", "*.*"}}}),
              QStringLiteral("Config Files (*.cfg);;All Files (* *.*)"));
    EXPECT_EQ(FilterText({}), QString());
}

}  // namespace
}  // namespace velmor::gui
