#pragma once
// Copying the models' plain fields to widgets, without the widgets' change
// signals firing back into the model meanwhile.

#include <QString>
#include <string>

#include "ui/fields.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace velmor::gui {

// Texts of the user interface are written in Chinese; the installed translation
// (velmortool_en.qm) gives the English ones. Model texts chosen in code by the
// language setting are shown as they are (FromModel).
QString Caption(const char* context, const std::string& chineseText);
inline QString FromModel(const std::string& text) { return QString::fromStdString(text); }

void ApplyVisibility(QWidget* widget, bool enabled, bool visible);
void Apply(QLabel* label, const ui::TextField& field);
void Apply(QLineEdit* edit, const ui::TextField& field);
// With a `context`, the items are captions of the user interface (translated);
// without, model texts shown as they are.
void Apply(QComboBox* combo, const ui::ChoiceField& field, const char* context = nullptr);
// An editable combo box: its items and its text.
void Apply(QComboBox* combo, const ui::ComboField& field);
// A list box: its entries and the selected one.
void Apply(QListWidget* list, const ui::ChoiceField& field);
void Apply(QPushButton* button, const ui::ButtonField& field, const char* context);

}  // namespace velmor::gui
