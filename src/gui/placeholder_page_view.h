#pragma once
// The view of a page whose real model comes in a later release: its title, a
// short note and the buttons of what the page already offers.

#include <QWidget>

#include "gui/field_binder.h"

namespace velmor::ui {
class PlaceholderPage;
}

namespace velmor::gui {

class ModelBinding;

class PlaceholderPageView : public QWidget {
    Q_OBJECT
  public:
    PlaceholderPageView(ui::PlaceholderPage& model, QWidget* parent);
    ~PlaceholderPageView() override;

  private:
    FieldBinder fields_;
    ModelBinding* binding_ = nullptr;
};

}  // namespace velmor::gui
