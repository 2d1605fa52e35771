#include "ui/message_down.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "controller/main_operation.h"
#include "support/fake_timer_service.h"
#include "support/scripted_dialog_service.h"

namespace velmor::ui {
namespace {

// Returns at once and counts; `onSleep(n)` runs at the n-th sleep (1-based), on
// the tick thread, so a test can play the worker at an exact tick.
class CountingSleeper : public Sleeper {
  public:
    std::function<void(int)> onSleep;
    std::atomic<int> sleeps{0};
    bool SleepFor(std::chrono::milliseconds duration, std::stop_token stop) override {
        EXPECT_EQ(duration.count(), 500);
        const int n = ++sleeps;
        if (onSleep) onSleep(n);
        return !stop.stop_requested();
    }
};

class MessageDownTest : public ::testing::Test {
  protected:
    // Opens the window, waits for its close request, closes it; returns the texts
    // the view would have seen, in order.
    std::vector<std::string> Run(CMessageDown& dialog) {
        std::mutex mutex;
        std::vector<std::string> texts;
        std::string last;
        dialog.SetListener([&] {
            std::lock_guard lock(mutex);
            const std::string text = dialog.Text();
            if (text != last) texts.push_back(text);
            last = text;
        });
        dialog.SetCloseHandler([&] { ++closeRequests; });
        dialog.SetSleeper(sleeper);
        dialog.OnInitDialog();
        dialog.WaitForCloseRequest();
        dialog.Close();
        dialog.SetListener({});
        return texts;
    }

    controller::CMainOperation operation;
    CountingSleeper sleeper;
    std::atomic<int> closeRequests{0};
};

TEST_F(MessageDownTest, CodesWatchTheirFlagsAndOtherCodesNone) {
    EXPECT_EQ(CMessageDown::WatchedFlag(operation, 1), &operation.loadDone);
    EXPECT_EQ(CMessageDown::WatchedFlag(operation, 2), &operation.saveDone);
    EXPECT_EQ(CMessageDown::WatchedFlag(operation, 3), &operation.cleanSaveDone);
    EXPECT_EQ(CMessageDown::WatchedFlag(operation, 0), nullptr);
    EXPECT_EQ(CMessageDown::WatchedFlag(operation, 4), nullptr);
    EXPECT_EQ(CMessageDown::WatchedFlag(operation, 255), nullptr);
}

TEST_F(MessageDownTest, CodeZeroRunsTheFullLimitWhateverTheFlags) {
    operation.loadDone = 1;
    operation.saveDone = 1;
    operation.cleanSaveDone = 1;
    CMessageDown dialog(operation);
    dialog.Setup("Downloading", 0, 6);
    const auto texts = Run(dialog);
    EXPECT_EQ(texts, (std::vector<std::string>{"Downloading", "Downloading.", "Downloading..",
                                               "Downloading...", "Downloading....",
                                               "Downloading.....", "Downloading......"}));
    EXPECT_EQ(dialog.Dots(), 6);
    EXPECT_EQ(sleeper.sleeps, 6);
    EXPECT_EQ(closeRequests, 1);
}

TEST_F(MessageDownTest, LimitZeroClosesWithoutADot) {
    CMessageDown dialog(operation);
    dialog.Setup("x", 2, 0);
    const auto texts = Run(dialog);
    EXPECT_EQ(texts, std::vector<std::string>{"x"});
    EXPECT_EQ(dialog.Dots(), 0);
    EXPECT_EQ(closeRequests, 1);
}

TEST_F(MessageDownTest, FlagSetBeforeOpeningShowsOneDotAndClosesAtOnce) {
    struct Case {
        std::uint8_t code;
        std::atomic<std::uint32_t> controller::CMainOperation::*flag;
    };
    for (const Case& c : {Case{1, &controller::CMainOperation::loadDone},
                          Case{2, &controller::CMainOperation::saveDone},
                          Case{3, &controller::CMainOperation::cleanSaveDone}}) {
        SCOPED_TRACE(int(c.code));
        controller::CMainOperation fresh;
        (fresh.*c.flag) = 1;
        CMessageDown dialog(fresh);
        sleeper.sleeps = 0;
        dialog.Setup("Saveing", c.code, 30);
        Run(dialog);
        EXPECT_EQ(dialog.Text(), "Saveing.");
        EXPECT_EQ(sleeper.sleeps, 0);
    }
}

TEST_F(MessageDownTest, AFlagOfAnotherCodeDoesNotCloseTheWindow) {
    operation.loadDone = 1;  // watched is the save-done flag
    CMessageDown dialog(operation);
    dialog.Setup("s", 2, 4);
    Run(dialog);
    EXPECT_EQ(dialog.Text(), "s....");
}

TEST_F(MessageDownTest, WorkerFinishingDuringTheThirdPauseClosesAtTheFourthDot) {
    sleeper.onSleep = [this](int n) {
        if (n == 3) operation.saveDone = 1;
    };
    CMessageDown dialog(operation);
    dialog.Setup("Saveing", 2, 30);
    Run(dialog);
    EXPECT_EQ(dialog.Text(), "Saveing....");
    EXPECT_EQ(dialog.Dots(), 4);
    EXPECT_EQ(closeRequests, 1);
}

TEST_F(MessageDownTest, AFlagOfTheCallersOwnClosesTheWindowInsteadOfTheCodedOne) {
    std::atomic<std::uint32_t> own{0};
    operation.loadDone = 1;  // the coded flag no longer counts
    sleeper.onSleep = [&own](int n) {
        if (n == 2) own = 1;
    };
    CMessageDown dialog(operation);
    dialog.Setup("Downloading", 1, 30);
    dialog.WatchFlag(&own);
    Run(dialog);
    EXPECT_EQ(dialog.Text(), "Downloading...");
}

TEST_F(MessageDownTest, ClosingEarlyStopsTheTickThreadWithoutACloseRequest) {
    CMessageDown dialog(operation);
    dialog.Setup("Loading", 1, 1000);
    std::atomic<int> handlerCalls{0};
    dialog.SetCloseHandler([&] { ++handlerCalls; });
    testing::EndlessSleeper endless;
    dialog.SetSleeper(endless);
    dialog.OnInitDialog();  // the thread waits in its first pause until stopped
    dialog.Close();         // must return at once, the pause cut short
    EXPECT_EQ(handlerCalls, 0);
    EXPECT_LE(dialog.Dots(), 1);
    const std::string text = dialog.Text();
    dialog.Close();  // twice is harmless
    EXPECT_EQ(dialog.Text(), text);
}

TEST_F(MessageDownTest, DestroyingAnOpenWindowWaitsForTheTickThread) {
    std::atomic<int> handlerCalls{0};
    {
        CMessageDown dialog(operation);
        dialog.Setup("Loading", 1, 1000);
        dialog.SetCloseHandler([&] { ++handlerCalls; });
        dialog.OnInitDialog();
    }  // the destructor stops and joins; the sanitizer build catches a thread left behind
    EXPECT_EQ(handlerCalls, 0);
}

TEST_F(MessageDownTest, CloseHandlerThatClosesAtOnceDoesNotDeadlock) {
    CMessageDown dialog(operation);
    dialog.Setup("m", 0, 2);
    dialog.SetSleeper(sleeper);
    dialog.SetCloseHandler([&] { dialog.Close(); });
    dialog.OnInitDialog();
    dialog.WaitForCloseRequest();
    dialog.Close();
    EXPECT_EQ(dialog.Text(), "m..");
}

TEST_F(MessageDownTest, ReopeningStartsAgainFromTheMessage) {
    CMessageDown dialog(operation);
    dialog.Setup("r", 0, 2);
    Run(dialog);
    dialog.Setup("q", 0, 1);
    const auto texts = Run(dialog);
    EXPECT_EQ(texts, (std::vector<std::string>{"q", "q."}));
    EXPECT_EQ(closeRequests, 2);
}

TEST(ProgressMessage, EnglishHasNineteenBlanksChineseTwenty) {
    const std::string en(19, ' ');
    const std::string zh(20, ' ');
    EXPECT_EQ(ProgressMessage(ProgressKind::Saving, controller::Language::kEnglish),
              en + "Saveing");
    EXPECT_EQ(ProgressMessage(ProgressKind::Loading, controller::Language::kEnglish),
              en + "Loading");
    EXPECT_EQ(ProgressMessage(ProgressKind::Downloading, controller::Language::kEnglish),
              en + "Downloading");
    EXPECT_EQ(ProgressMessage(ProgressKind::Saving, controller::Language::kChinese), zh + "保存中");
    EXPECT_EQ(ProgressMessage(ProgressKind::Loading, controller::Language::kChinese),
              zh + "加载中");
    EXPECT_EQ(ProgressMessage(ProgressKind::Downloading, controller::LanguageOf("xyz")),
              zh + "下载中");
}

TEST(ScriptedDialogService, ProgressWindowSeesAWorkerThatFinishesSoon) {
    controller::CMainOperation operation;
    testing::ScriptedDialogService dialogs;
    CMessageDown dialog(operation);
    // 1000 ticks of 10 ms: ten seconds, far more than the worker needs even on a
    // busy machine.
    dialog.Setup(ProgressMessage(ProgressKind::Loading, controller::Language::kEnglish), 1, 1000);
    std::jthread worker([&] { operation.loadDone = 1; });
    dialogs.RunProgress(dialog);
    worker.join();
    ASSERT_EQ(dialogs.progress.size(), 1u);
    EXPECT_EQ(dialogs.progress[0].flagCode, 1);
    EXPECT_EQ(dialogs.progress[0].tickLimit, 1000);
    EXPECT_LT(dialogs.progress[0].dots, 1000);  // closed by the flag, not the limit
    EXPECT_GE(dialogs.progress[0].dots, 1);
}

}  // namespace
}  // namespace velmor::ui
