#pragma once
// Helpers of the offscreen view tests: find a named widget, press and type into
// it, and let queued refreshes arrive.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <functional>

#include "support/wait_until.h"

namespace velmor::testing {

// The child of `root` with the object name `name`; a test failure when missing.
template <typename T>
T* FindWidget(const QObject* root, const char* name) {
    T* widget = root->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Models announce changes through queued refreshes: let them arrive.
inline void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Lets queued refreshes arrive until `condition` holds (WaitUntil's deadline).
inline bool SettleUntil(const std::function<bool()>& condition) {
    return WaitUntil(condition, [] { QApplication::processEvents(); });
}

inline void ClickButton(const QObject* root, const char* name) {
    if (auto* button = FindWidget<QPushButton>(root, name))
        QTest::mouseClick(button, Qt::LeftButton);
}

inline void TypeInto(const QObject* root, const char* name, const QString& text) {
    if (auto* edit = FindWidget<QLineEdit>(root, name)) {
        edit->clear();
        QTest::keyClicks(edit, text);
    }
}

// Shows `view` at `width` x `height` and waits until the window system has it.
inline bool ShowExposed(QWidget& view, int width, int height) {
    view.resize(width, height);
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

}  // namespace velmor::testing
