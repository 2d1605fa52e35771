#pragma once
// How page models reach the user: message boxes, yes/no questions, file dialogs,
// the modal progress window and modal dialogs with models of their own. The Qt program implements
// it with dialogs (gui/qt_dialog_service.h); tests use a scripted fake. Called on the
// user-interface thread.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmor::ui {

class CMessageDown;
class ModalDialog;

// Caption of success messages; failures and warnings pass an empty caption and
// get the default one.
inline constexpr std::string_view kSuccessCaption = "VelmorTool";

// Success texts are shown after five blanks ("     Save complete!").
inline std::string SuccessText(std::string_view text) {
    return std::string(5, ' ') + std::string(text);
}

struct FileFilter {
    std::string name;                   // "Config Files"
    std::vector<std::string> patterns;  // "*.cfg"
};

struct FileDialogRequest {
    std::string title;  // empty: the platform's default title
    std::vector<FileFilter> filters;
    std::string defaultExtension;  // appended when the user types a name without one ("cfg")
    std::string initialPath;       // a folder, or a file to preselect
};

// The file dialog of the configuration and cleaning documents, "打开自定义文件":
// .cfg files first, then all files ("*" is what "*.*" means where the file type
// list comes from).
inline FileDialogRequest DocumentFileRequest(std::string initialPath,
                                             std::string defaultExtension = {}) {
    FileDialogRequest request;
    request.title = "打开自定义文件";
    request.filters = {{"文件类型", {"*.cfg"}}, {"所有文件", {"*"}}};
    request.defaultExtension = std::move(defaultExtension);
    request.initialPath = std::move(initialPath);
    return request;
}

class DialogService {
  public:
    virtual ~DialogService() = default;

    // A message box with an OK button; an empty caption means the default caption.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
    // Shows the progress window modally: opens it (CMessageDown::OnInitDialog),
    // returns after it closed (CMessageDown::Close has run).
    virtual void RunProgress(CMessageDown& dialog) = 0;
    // Runs a dialog modally (see ModalDialog): returns its result once it ended.
    virtual int RunModal(ModalDialog& dialog) = 0;
};

}  // namespace velmor::ui
