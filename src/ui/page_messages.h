#pragma once
// How a page tells the user how an action went, in the interface's language: a
// success in a message box with the caption "VelmorTool" after five blanks, a
// failure or a warning with the default caption. The language is read when the
// message is shown.

#include <string>

#include "controller/language.h"

namespace velmor::ui {

class DialogService;

class PageMessages {
  public:
    PageMessages(DialogService& dialogs, const controller::Language& language)
        : dialogs_(dialogs), language_(language) {}

    std::string Text(const controller::BilingualText& text) const { return text.Text(language_); }
    void Success(const controller::BilingualText& text);
    void Failure(const controller::BilingualText& text);

  private:
    DialogService& dialogs_;
    const controller::Language& language_;
};

}  // namespace velmor::ui
