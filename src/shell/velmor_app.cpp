#include "shell/velmor_app.h"

#include <utility>

#include "controller/main_operation.h"
#include "ui/dialog_service.h"

namespace velmor::shell {

CVelmorApp::CVelmorApp(controller::CMainOperation& operation, ui::DialogService& dialogs,
                       Setup setup)
    : operation_(operation), dialogs_(dialogs), setup_(std::move(setup)), lock_(setup_.lockPath) {
    if (!setup_.loadLanguage) setup_.loadLanguage = LoadLanguageFromStore;
}

CVelmorApp::~CVelmorApp() = default;

std::string CVelmorApp::DefaultDocumentPath() const {
    return setup_.programFolder + "CmdsRecord/Default";
}

std::vector<std::string> CVelmorApp::EnglishFileCandidates() const {
    std::vector<std::string> candidates{setup_.programFolder + kEnglishFileName};
    if (!setup_.executableFolder.empty() && setup_.executableFolder != setup_.programFolder) {
        candidates.push_back(setup_.executableFolder + kEnglishFileName);
    }
    // Where the package installs it: /usr/bin/../share/velmortool/translations/.
    if (!setup_.executableFolder.empty()) {
        candidates.push_back(setup_.executableFolder + kInstalledTranslationFolder +
                             kEnglishFileName);
    }
    return candidates;
}

bool CVelmorApp::InitInstance() {
    // The controller object knows where the program keeps its files before anyone reads them.
    operation_.programFolder = setup_.programFolder;
    operation_.programFolder2 = setup_.programFolder;
    setup_.loadLanguage(operation_, DefaultDocumentPath());

    englishLoaded_.clear();
    if (controller::English(operation_.language) && setup_.loadEnglish) {
        for (const std::string& path : EnglishFileCandidates()) {
            if (setup_.loadEnglish(path)) {
                englishLoaded_ = path;
                break;
            }
        }
    }

    if (!lock_.TryAcquire()) {
        dialogs_.ShowMessage(kAlreadyRunningText, "");
        return false;
    }
    return true;
}

}  // namespace velmor::shell
