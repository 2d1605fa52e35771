#include "gui/read_write_reg_view.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>

#include "support/scripted_dialog_service.h"
#include "support/sim_rig.h"
#include "support/view_test.h"

namespace velmor::gui {
namespace {

class ReadWriteRegViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        page.OnInitDialog();
        ASSERT_TRUE(testing::ShowExposed(view, 1100, 700));
    }

    template <typename T>
    T* Find(const char* name) {
        return testing::FindWidget<T>(&view, name);
    }
    void Type(const char* name, const QString& text) { testing::TypeInto(&view, name, text); }
    void Click(const char* name) { testing::ClickButton(&view, name); }

    QString Log() { return Find<QPlainTextEdit>("log")->toPlainText(); }

    testing::SimRig rig;
    testing::ScriptedDialogService dialogs;
    registers::CReadWriteRegDlg page{{rig.op, dialogs}};
    ReadWriteRegView view{page};
};

TEST_F(ReadWriteRegViewTest, WriteButtonChangesTheRegisterAndGrowsTheLog) {
    Type("mbAddress", "4001");
    Type("mbData", "5A");
    Click("writeMbButton");

    EXPECT_EQ(rig.Controller().Reg(0x4001), 0x5A);
    const QString log = Log();
    EXPECT_TRUE(
        log.startsWith("Write MB Reg:0x4001  0x5a  ---Success\n\nMain Board Registers Group:"))
        << log.left(120).toStdString();
    EXPECT_EQ(log.count("\n["), 16);

    // The view follows the end of the log.
    EXPECT_TRUE(Find<QPlainTextEdit>("log")->textCursor().atEnd());

    Click("clearLogButton");
    EXPECT_TRUE(Log().isEmpty());
}

TEST_F(ReadWriteRegViewTest, LogViewIsReadOnlyBlueInTheLogFont) {
    QPlainTextEdit* log = Find<QPlainTextEdit>("log");
    EXPECT_TRUE(log->isReadOnly());
    EXPECT_EQ(log->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_EQ(log->font().pixelSize(), 13);
    EXPECT_TRUE(log->font().families().contains("WenQuanYi Micro Hei"));
}

TEST_F(ReadWriteRegViewTest, FlashSpitButtonTogglesTheHeadBoards) {
    rig.op.SetBoardType(2);
    Click("flashSpitButton");
    for (const std::uint16_t reg : {0x410B, 0x420B, 0x430B, 0x440B}) {
        EXPECT_EQ(rig.Controller().Reg(reg), 0xC0) << std::hex << reg;
    }
    EXPECT_EQ(Log(), QString::fromUtf8("闪喷开\n"));
    Click("flashSpitButton");
    EXPECT_EQ(rig.Controller().Reg(0x430B), 0x00);
    EXPECT_EQ(Log(), QString::fromUtf8("闪喷开\n闪喷关\n"));
}

TEST_F(ReadWriteRegViewTest, FlashWriteRunsInTheBackgroundAndDrivesTheProgressBar) {
    Type("flashLength", "5000");
    Type("flashAddress", "2000");
    Find<QComboBox>("pattern")->setCurrentIndex(2);  // incrementing byte
    Click("flashWriteButton");

    ASSERT_TRUE(QTest::qWaitFor([&] { return Log().contains("-- success"); }, 10000));
    EXPECT_TRUE(Log().startsWith(
        "Flash Write datas:0x2000   Len:5000 -- success\n[002000-00200F]: 00 01 02 03 - "));
    const auto flash = rig.Controller().ReadFlash(0x2000, 5000);
    for (std::size_t i = 0; i < flash.size(); ++i) ASSERT_EQ(flash[i], i % 256) << i;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return Find<QPushButton>("flashWriteButton")->isEnabled(); }, 10000));
    EXPECT_EQ(Find<QProgressBar>("progress")->value(), 81);
}

TEST_F(ReadWriteRegViewTest, TestButtonRunsTheTimerUntilPressedAgain) {
    rig.Faults().complementReads = true;
    Type("hbAddress", "4130");
    Type("readAddress", "4130");
    Type("readCount", "1");
    Type("testPeriod", "10");
    Click("testButton");
    EXPECT_EQ(Find<QPushButton>("testButton")->text(), QString::fromUtf8("关读定时器"));
    EXPECT_FALSE(Find<QPushButton>("readRegsButton")->isEnabled());

    // Ticks come from a real timer; the log view shows them as they arrive.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Log().contains("Write:2Read:FD---Success:3, Failed:0"); }, 10000));
    EXPECT_EQ(rig.Controller().Reg(0x4130), page.TestValue() - 1);

    Click("testButton");
    EXPECT_EQ(Find<QPushButton>("testButton")->text(), QString::fromUtf8("开读定时器"));
    EXPECT_TRUE(Find<QPushButton>("readRegsButton")->isEnabled());
    EXPECT_FALSE(page.TestRunning());
}

}  // namespace
}  // namespace velmor::gui
