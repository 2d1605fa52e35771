#pragma once
// What every page and page dialog is made with: the controller object, the dialog
// service, the main window that receives the pages' messages, and the sleeper that
// carries the page's waits (a status thread's period, a panel's reply time).
// Tests give their own dialog service and sleeper; the program gives the real ones.

#include "ui/sleeper.h"

namespace velmor::controller {
class CMainOperation;
}

namespace velmor::ui {

class DialogService;
class WindowMessageReceiver;

struct PageContext {
    controller::CMainOperation& operation;
    DialogService& dialogs;
    // Receives the messages a page posts to the main window (2046); may be null.
    WindowMessageReceiver* mainWindow = nullptr;
    Sleeper* sleeper = &DefaultSleeper();
};

}  // namespace velmor::ui
