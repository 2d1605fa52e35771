#include "gui/field_widgets.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace velmor::gui {

QString Caption(const char* context, const std::string& chineseText) {
    return QCoreApplication::translate(context, chineseText.c_str());
}

void ApplyVisibility(QWidget* widget, bool enabled, bool visible) {
    widget->setEnabled(enabled);
    widget->setVisible(visible);
}

void Apply(QLabel* label, const ui::TextField& field) {
    const QString text = FromModel(field.text);
    if (label->text() != text) label->setText(text);
    ApplyVisibility(label, field.enabled, field.visible);
}

void Apply(QLineEdit* edit, const ui::TextField& field) {
    const QString text = FromModel(field.text);
    if (edit->text() != text) {
        const QSignalBlocker block(edit);
        edit->setText(text);
    }
    ApplyVisibility(edit, field.enabled, field.visible);
}

void Apply(QComboBox* combo, const ui::ChoiceField& field, const char* context) {
    const QSignalBlocker block(combo);
    QStringList items;
    for (const std::string& item : field.items)
        items << (context != nullptr ? Caption(context, item) : FromModel(item));
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
    if (shown != items) {
        combo->clear();
        combo->addItems(items);
    }
    combo->setCurrentIndex(field.selected);
    ApplyVisibility(combo, field.enabled, field.visible);
}

void Apply(QComboBox* combo, const ui::ComboField& field) {
    const QSignalBlocker block(combo);
    QStringList items;
    for (const std::string& item : field.items) items << FromModel(item);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
    if (shown != items) {
        combo->clear();
        combo->addItems(items);
    }
    const QString text = FromModel(field.text);
    if (combo->currentText() != text) combo->setEditText(text);
    ApplyVisibility(combo, field.enabled, field.visible);
}

void Apply(QListWidget* list, const ui::ChoiceField& field) {
    const QSignalBlocker block(list);
    QStringList items;
    for (const std::string& item : field.items) items << FromModel(item);
    bool same = list->count() == items.size();
    for (int i = 0; same && i < list->count(); ++i) same = list->item(i)->text() == items[i];
    if (!same) {
        list->clear();
        list->addItems(items);
    }
    const auto rows = list->selectionModel()->selectedRows();
    const int shownRow = rows.isEmpty() ? -1 : rows.front().row();
    if (shownRow != field.selected) {
        if (field.selected >= 0 && field.selected < list->count())
            list->setCurrentRow(field.selected, QItemSelectionModel::ClearAndSelect);
        else
            list->clearSelection();
    }
    ApplyVisibility(list, field.enabled, field.visible);
}

void Apply(QPushButton* button, const ui::ButtonField& field, const char* context) {
    button->setText(Caption(context, field.caption));
    ApplyVisibility(button, field.enabled, field.visible);
}

}  // namespace velmor::gui
