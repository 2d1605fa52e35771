#pragma once
// CVelmorApp: the start of the program up to the main window. In this order: the
// language from the default configuration document, the English texts when the
// language is English, the single-instance rule. The program then runs the main
// window (CVelmorDlg) and ends when it closes.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/instance_lock.h"

namespace velmor::controller {
class CMainOperation;
}
namespace velmor::ui {
class DialogService;
}

namespace velmor::shell {

class CVelmorApp {
  public:
    static constexpr const char* kAlreadyRunningText = "软件已打开!";
    static constexpr const char* kEnglishFileName = "velmortool_en.qm";
    // Relative to the program's folder, where the package puts the translation.
    static constexpr const char* kInstalledTranslationFolder = "../share/velmortool/translations/";

    // Reads the language of the document at `path` into the controller object.
    using LanguageLoader =
        std::function<void(controller::CMainOperation& operation, const std::string& path)>;
    // Loads the English texts from `path`; false when the file is missing or bad.
    using ResourceLoader = std::function<bool(const std::string& path)>;

    struct Setup {
        std::string programFolder;     // with a trailing '/'
        std::string executableFolder;  // where the English file is built; tried second
        std::string lockPath = InstanceLock::DefaultPath();
        LanguageLoader loadLanguage;  // default: the store's LoadLanguage
        ResourceLoader loadEnglish;   // default: none loads
    };

    CVelmorApp(controller::CMainOperation& operation, ui::DialogService& dialogs, Setup setup);
    ~CVelmorApp();

    // Runs the start-up. True when the main window should run; false after the
    // second-instance message.
    bool InitInstance();

    // Path of the default configuration document: <program folder>CmdsRecord/Default.
    std::string DefaultDocumentPath() const;
    // Where the English texts are looked for, in order.
    std::vector<std::string> EnglishFileCandidates() const;
    // The English file that was loaded, or empty (the built-in Chinese texts apply).
    const std::string& EnglishFileLoaded() const { return englishLoaded_; }

  private:
    controller::CMainOperation& operation_;
    ui::DialogService& dialogs_;
    Setup setup_;
    InstanceLock lock_;
    std::string englishLoaded_;
};

// The store's LoadLanguage: [Language] "Language" of the document, Chinese when missing.
void LoadLanguageFromStore(controller::CMainOperation& operation, const std::string& path);

}  // namespace velmor::shell
