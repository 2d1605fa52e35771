#pragma once
// Binds a view's widgets to its model's plain fields: every widget made or bound
// here is refreshed from its field by Refresh(), edits go back into the field, and
// buttons call the model's handler followed by the view's refresh. Views hold no
// copies of the fields and no behaviour; adding a control is one call here.

#include <QString>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/fields.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QObject;
class QPushButton;
class QRadioButton;
class QWidget;

namespace velmor::gui {

class FieldBinder {
  public:
    // `captionContext`: the translation context of the view's captions.
    // `afterAction`: what runs after a button's or check box's handler (the view's refresh).
    FieldBinder(QObject* owner, const char* captionContext, std::function<void()> afterAction);

    // An edit box; `maxLength` > 0 limits the characters and the width.
    QLineEdit* Text(ui::TextField& field, const char* name, int maxLength = 0);
    // A label showing a model text as it is.
    QLabel* Label(const ui::TextField& field, const char* name);
    // A drop-down list; the selection goes back by index. Items are model texts
    // unless `translateItems`, then captions of the user interface.
    // `onActivated` runs after a selection by the user.
    QComboBox* Choice(ui::ChoiceField& field, const char* name, bool translateItems = false,
                      std::function<void(int)> onActivated = {});
    // An editable combo box: typing and choosing an item both set the field's text.
    QComboBox* Combo(ui::ComboField& field, const char* name);
    // A list box of model texts with one selected entry. `onSelChange` runs after the
    // user changed the selection (the field holds it), `onDoubleClick` after a double
    // click on an entry.
    QListWidget* List(ui::ChoiceField& field, const char* name,
                      std::function<void()> onSelChange = {},
                      std::function<void()> onDoubleClick = {});
    // A check box (or, with `radio`, a radio button) with a caption; `onToggle` runs
    // after a click by the user, once the field holds the new state.
    QCheckBox* Check(ui::CheckField& field, const char* name, const std::string& caption,
                     std::function<void()> onToggle = {});
    QRadioButton* Radio(ui::CheckField& field, const char* name, const std::string& caption,
                        std::function<void()> onToggle = {});
    // A push button; `gate`, when given, must also hold for it to be enabled.
    QPushButton* Button(ui::ButtonField& field, const char* name, std::function<void()> onClick,
                        std::function<bool()> gate = {});

    // A label whose caption the model chooses among captions of the user interface
    // (translated), shown and enabled as the field says.
    QLabel* CaptionLabel(const ui::TextField& field, const char* name);
    // A fixed caption beside the widget of `field`, shown and hidden with it.
    QLabel* LabelFor(const ui::TextField& field, const std::string& caption);
    QLabel* LabelFor(const ui::ChoiceField& field, const std::string& caption);
    // Hides `box` while none of its own widgets is shown (a group whose fields the
    // model all hid). Call after the widgets in it are bound.
    void HideWhenEmpty(QWidget* box);

    // Binds widgets made elsewhere.
    void Bind(QLabel* label, const ui::TextField& field);
    void Bind(QComboBox* combo, const ui::ChoiceField& field, bool translateItems = false);
    // Any other refresh step of the view (a progress bar, a list).
    void OnRefresh(std::function<void()> refresh);
    // Gives the keyboard focus to the widget of the control a handler asked for,
    // once per request; `targets` pairs control numbers with widgets.
    void Focus(const ui::FocusRequest& request, std::vector<std::pair<int, QWidget*>> targets);

    // Copies every bound field to its widget (GUI thread).
    void Refresh();

    QString Caption(const std::string& chineseText) const;

  private:
    QObject* owner_;
    const char* context_;
    std::function<void()> afterAction_;
    std::vector<std::function<void()>> refreshers_;
};

// A model's handler as a button action. Captures plain pointers: GCC 12's
// sanitizers misread a lambda that captures `this` beside a member-function pointer.
template <typename Model>
std::function<void()> Call(Model& model, void (Model::*handler)()) {
    return [model = &model, handler] { (model->*handler)(); };
}

}  // namespace velmor::gui
