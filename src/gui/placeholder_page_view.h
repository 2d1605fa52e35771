#pragma once
// The view of a page whose real model comes in a later release: its title and a
// short note.

#include <QWidget>

namespace velmor::ui {
class PlaceholderPage;
}

namespace velmor::gui {

class PlaceholderPageView : public QWidget {
    Q_OBJECT
  public:
    PlaceholderPageView(ui::PlaceholderPage& model, QWidget* parent);
};

}  // namespace velmor::gui
