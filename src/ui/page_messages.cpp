#include "ui/page_messages.h"

#include "ui/dialog_service.h"

namespace velmor::ui {

void PageMessages::Success(const controller::BilingualText& text) {
    dialogs_.ShowMessage(SuccessText(text.In(language_)), std::string(kSuccessCaption));
}

void PageMessages::Failure(const controller::BilingualText& text) {
    dialogs_.ShowMessage(Text(text), "");
}

}  // namespace velmor::ui
