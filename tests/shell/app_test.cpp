#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>
#include <vector>

#include "controller/main_operation.h"
#include "shell/instance_lock.h"
#include "shell/program_folder.h"
#include "shell/velmor_app.h"
#include "support/scoped_environment.h"
#include "support/scripted_dialog_service.h"
#include "support/temp_dir.h"

namespace velmor::shell {
namespace {

class AppTest : public ::testing::Test {
  protected:
    void WriteDefault(const std::string& text) {
        std::filesystem::create_directories(dir.Path() / "CmdsRecord");
        std::ofstream(dir.Path() / "CmdsRecord" / "Default", std::ios::binary) << text;
    }
    CVelmorApp::Setup MakeSetup() {
        CVelmorApp::Setup setup;
        setup.programFolder = dir.Path().string() + "/";
        setup.executableFolder = "/opt/velmor/bin/";
        setup.lockPath = dir.File("VelmorTool.lock");
        setup.loadEnglish = [this](const std::string& path) {
            tried.push_back(path);
            return path == englishThatLoads;
        };
        return setup;
    }

    velmor::testing::TempDir dir;
    controller::CMainOperation operation;
    testing::ScriptedDialogService dialogs;
    std::vector<std::string> tried;
    std::string englishThatLoads = "/opt/velmor/bin/velmortool_en.qm";
};

TEST_F(AppTest, EnglishLanguageLoadsTheEnglishTextsFromTheFirstFolderThatHasThem) {
    WriteDefault("[Language]\r\nLanguage=eng\r\n");
    CVelmorApp app(operation, dialogs, MakeSetup());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(operation.language, controller::Language::kEnglish);
    EXPECT_EQ(operation.programFolder, dir.Path().string() + "/");
    EXPECT_EQ(tried, (std::vector<std::string>{dir.File("velmortool_en.qm"), englishThatLoads}));
    EXPECT_EQ(app.EnglishFileLoaded(), englishThatLoads);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AppTest, OtherLanguagesAndAMissingDocumentKeepTheBuiltInChinese) {
    for (const char* text :
         {"[Language]\r\nLanguage=chs\r\n", "[Language]\r\nLanguage=ENG\r\n", ""}) {
        SCOPED_TRACE(text);
        std::filesystem::remove_all(dir.Path() / "CmdsRecord");
        if (*text) WriteDefault(text);
        tried.clear();
        controller::CMainOperation fresh;
        CVelmorApp app(fresh, dialogs, MakeSetup());
        ASSERT_TRUE(app.InitInstance());
        EXPECT_NE(fresh.language, controller::Language::kEnglish);
        EXPECT_TRUE(tried.empty());
        EXPECT_EQ(app.EnglishFileLoaded(), "");
    }
}

TEST_F(AppTest, MissingEnglishFileFallsBackToChineseTextsButKeepsTheLanguage) {
    WriteDefault("[Language]\r\nLanguage=eng\r\n");
    englishThatLoads.clear();
    CVelmorApp app(operation, dialogs, MakeSetup());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(operation.language, controller::Language::kEnglish);
    // Last, where the package installs it.
    EXPECT_EQ(tried, (std::vector<std::string>{
                         dir.File("velmortool_en.qm"), "/opt/velmor/bin/velmortool_en.qm",
                         "/opt/velmor/bin/../share/velmortool/translations/velmortool_en.qm"}));
    EXPECT_EQ(app.EnglishFileLoaded(), "");
}

TEST_F(AppTest, SecondInstanceShowsTheMessageAndDoesNotRun) {
    CVelmorApp first(operation, dialogs, MakeSetup());
    ASSERT_TRUE(first.InitInstance());
    {
        controller::CMainOperation other;
        CVelmorApp second(other, dialogs, MakeSetup());
        EXPECT_FALSE(second.InitInstance());
    }
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "软件已打开!");
    EXPECT_EQ(dialogs.messages[0].caption, "");
}

TEST_F(AppTest, TheLockIsFreeAgainOnceTheFirstInstanceHasGone) {
    {
        CVelmorApp first(operation, dialogs, MakeSetup());
        ASSERT_TRUE(first.InitInstance());
    }
    CVelmorApp again(operation, dialogs, MakeSetup());
    EXPECT_TRUE(again.InitInstance());
    EXPECT_TRUE(dialogs.messages.empty());
}

#ifndef _WIN32
// The lock file and its runtime folder are the POSIX side of the lock.
TEST(InstanceLock, AnotherProcessCannotTakeAHeldLock) {
    velmor::testing::TempDir dir;
    InstanceLock lock(dir.File("VelmorTool.lock"));
    ASSERT_TRUE(lock.TryAcquire());
    const auto childResult = [&] {
        const pid_t child = fork();
        if (child == 0) {
            InstanceLock second(dir.File("VelmorTool.lock"));
            _exit(second.TryAcquire() ? 1 : 0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(childResult(), 0);  // held: the child was refused
    lock.Release();
    EXPECT_EQ(childResult(), 1);  // free: the child got it
}

TEST(InstanceLock, DefaultPathIsInTheRuntimeFolderOrTmp) {
    {
        const testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/1234");
        EXPECT_EQ(InstanceLock::DefaultPath(), "/run/user/1234/VelmorTool.lock");
    }
    const testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", std::nullopt);
    EXPECT_EQ(InstanceLock::DefaultPath(), "/tmp/VelmorTool.lock");
}
#endif

#ifdef _WIN32
// The named mutex is the system's: a second holder of the name is refused until the
// first lets go, and another name is another lock.
TEST(InstanceLock, TheNamedMutexAdmitsOneHolderAtATime) {
    EXPECT_EQ(InstanceLock::DefaultPath(), "VelmorTool");
    const std::string name = "VelmorTool-test-" + std::to_string(::GetCurrentProcessId());
    InstanceLock first(name);
    InstanceLock second(name);
    InstanceLock other(name + "-other");
    ASSERT_TRUE(first.TryAcquire());
    EXPECT_FALSE(second.TryAcquire());
    EXPECT_TRUE(other.TryAcquire());
    first.Release();
    EXPECT_TRUE(second.TryAcquire());
}
#endif

TEST(ProgramFolder, HomeOptionThenEnvironmentThenExecutableFolder) {
    struct Case {
        std::string option;
        const char* env;
        std::string expected;
    };
    const Case cases[] = {
        {"/data/velmor", "/env/home", "/data/velmor/"},
        {"/data/velmor//", nullptr, "/data/velmor/"},
        {"", "/env/home", "/env/home/"},
        {"", "", "/usr/lib/velmor/"},
        {"", nullptr, "/usr/lib/velmor/"},
        {"/", nullptr, "/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveProgramFolder(c.option, c.env, "/usr/lib/velmor"), c.expected) << c.option;
    }
    EXPECT_EQ(WithTrailingSlash(""), "./");
    const std::string self = ExecutableFolder(nullptr);
    EXPECT_EQ(self.back(), '/');
#ifdef _WIN32
    EXPECT_TRUE(std::filesystem::exists(self + "test_shell.exe"));
#else
    EXPECT_TRUE(std::filesystem::exists(self + "test_shell"));
#endif
}

}  // namespace
}  // namespace velmor::shell
