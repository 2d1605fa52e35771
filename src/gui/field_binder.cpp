#include "gui/field_binder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <utility>

#include "gui/field_widgets.h"

namespace velmor::gui {

FieldBinder::FieldBinder(QObject* owner, const char* captionContext,
                         std::function<void()> afterAction)
    : owner_(owner), context_(captionContext), afterAction_(std::move(afterAction)) {}

QString FieldBinder::Caption(const std::string& chineseText) const {
    return gui::Caption(context_, chineseText);
}

QLineEdit* FieldBinder::Text(ui::TextField& field, const char* name, int maxLength) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0) {
        edit->setMaxLength(maxLength);
        edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('W')) *
                              (maxLength + 3));
    }
    QObject::connect(edit, &QLineEdit::textChanged, owner_,
                     [&field](const QString& text) { field.text = text.toStdString(); });
    refreshers_.push_back([edit, &field] { Apply(edit, field); });
    return edit;
}

QLabel* FieldBinder::Label(const ui::TextField& field, const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    Bind(label, field);
    return label;
}

void FieldBinder::Bind(QLabel* label, const ui::TextField& field) {
    refreshers_.push_back([label, &field] { Apply(label, field); });
}

QLabel* FieldBinder::CaptionLabel(const ui::TextField& field, const char* name) {
    auto* label = new QLabel;
    label->setObjectName(QString::fromLatin1(name));
    const char* context = context_;
    refreshers_.push_back([label, &field, context] {
        const QString text = gui::Caption(context, field.text);
        if (label->text() != text) label->setText(text);
        ApplyVisibility(label, field.enabled, field.visible);
    });
    return label;
}

QLabel* FieldBinder::LabelFor(const ui::TextField& field, const std::string& caption) {
    auto* label = new QLabel(Caption(caption));
    refreshers_.push_back([label, &field] { label->setVisible(field.visible); });
    return label;
}

QLabel* FieldBinder::LabelFor(const ui::ChoiceField& field, const std::string& caption) {
    auto* label = new QLabel(Caption(caption));
    refreshers_.push_back([label, &field] { label->setVisible(field.visible); });
    return label;
}

void FieldBinder::HideWhenEmpty(QWidget* box) {
    refreshers_.push_back([box] {
        bool shown = false;
        for (const QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            shown = shown || !child->isHidden();
        box->setVisible(shown);
    });
}

QComboBox* FieldBinder::Choice(ui::ChoiceField& field, const char* name, bool translateItems,
                               std::function<void(int)> onActivated) {
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    // The selection goes back by index, so the model keeps its own item texts.
    QObject::connect(combo, &QComboBox::currentIndexChanged, owner_,
                     [&field](int index) { field.selected = index; });
    if (onActivated) {
        QObject::connect(combo, &QComboBox::activated, owner_,
                         [onActivated = std::move(onActivated), after = afterAction_](int index) {
                             onActivated(index);
                             if (after) after();
                         });
    }
    Bind(combo, field, translateItems);
    return combo;
}

void FieldBinder::Bind(QComboBox* combo, const ui::ChoiceField& field, bool translateItems) {
    const char* context = translateItems ? context_ : nullptr;
    refreshers_.push_back([combo, &field, context] { Apply(combo, field, context); });
}

QComboBox* FieldBinder::Combo(ui::ComboField& field, const char* name) {
    auto* combo = new QComboBox;
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);  // typing does not add items
    QObject::connect(combo, &QComboBox::currentTextChanged, owner_,
                     [&field](const QString& text) { field.text = text.toStdString(); });
    refreshers_.push_back([combo, &field] { Apply(combo, field); });
    return combo;
}

QListWidget* FieldBinder::List(ui::ChoiceField& field, const char* name,
                               std::function<void()> onSelChange,
                               std::function<void()> onDoubleClick) {
    auto* list = new QListWidget;
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(list, &QListWidget::itemSelectionChanged, owner_,
                     [list, &field, onSelChange = std::move(onSelChange), after = afterAction_] {
                         const auto rows = list->selectionModel()->selectedRows();
                         field.selected = rows.isEmpty() ? -1 : rows.front().row();
                         if (onSelChange) onSelChange();
                         if (after) after();
                     });
    if (onDoubleClick) {
        QObject::connect(list, &QListWidget::itemDoubleClicked, owner_,
                         [onDoubleClick = std::move(onDoubleClick), after = afterAction_] {
                             onDoubleClick();
                             if (after) after();
                         });
    }
    refreshers_.push_back([list, &field] { Apply(list, field); });
    return list;
}

void FieldBinder::Focus(const ui::FocusRequest& request,
                        std::vector<std::pair<int, QWidget*>> targets) {
    refreshers_.push_back(
        [&request, targets = std::move(targets), seen = request.revision]() mutable {
            if (request.revision == seen) return;
            seen = request.revision;
            for (const auto& [control, widget] : targets) {
                if (control == request.control) widget->setFocus(Qt::OtherFocusReason);
            }
        });
}

namespace {

template <typename Box>
Box* MakeCheck(QObject* owner, ui::CheckField& field, const char* name, const QString& caption,
               std::function<void()> onToggle, std::function<void()> after,
               std::vector<std::function<void()>>& refreshers) {
    auto* box = new Box(caption);
    box->setObjectName(QString::fromLatin1(name));
    box->setAutoExclusive(false);  // the model decides which boxes are checked
    QObject::connect(box, &Box::clicked, owner,
                     [&field, onToggle = std::move(onToggle), after = std::move(after)](bool on) {
                         field.checked = on;
                         if (onToggle) onToggle();
                         if (after) after();
                     });
    refreshers.push_back([box, &field] {
        const QSignalBlocker block(box);
        box->setChecked(field.checked);
        ApplyVisibility(box, field.enabled, field.visible);
    });
    return box;
}

}  // namespace

QCheckBox* FieldBinder::Check(ui::CheckField& field, const char* name, const std::string& caption,
                              std::function<void()> onToggle) {
    return MakeCheck<QCheckBox>(owner_, field, name, Caption(caption), std::move(onToggle),
                                afterAction_, refreshers_);
}

QRadioButton* FieldBinder::Radio(ui::CheckField& field, const char* name,
                                 const std::string& caption, std::function<void()> onToggle) {
    return MakeCheck<QRadioButton>(owner_, field, name, Caption(caption), std::move(onToggle),
                                   afterAction_, refreshers_);
}

QPushButton* FieldBinder::Button(ui::ButtonField& field, const char* name,
                                 std::function<void()> onClick, std::function<bool()> gate) {
    auto* button = new QPushButton;
    button->setObjectName(QString::fromLatin1(name));
    if (onClick) {
        QObject::connect(button, &QPushButton::clicked, owner_,
                         [onClick = std::move(onClick), after = afterAction_] {
                             onClick();
                             if (after) after();
                         });
    }
    const char* context = context_;
    refreshers_.push_back([button, &field, gate = std::move(gate), context] {
        ui::ButtonField shown = field;
        shown.enabled = field.enabled && (!gate || gate());
        Apply(button, shown, context);
    });
    return button;
}

void FieldBinder::OnRefresh(std::function<void()> refresh) {
    refreshers_.push_back(std::move(refresh));
}

void FieldBinder::Refresh() {
    for (const auto& refresh : refreshers_) refresh();
}

}  // namespace velmor::gui
