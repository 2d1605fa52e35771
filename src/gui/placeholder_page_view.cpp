#include "gui/placeholder_page_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "gui/field_widgets.h"
#include "gui/model_binding.h"
#include "ui/placeholder_page.h"

namespace velmor::gui {

namespace {
constexpr const char* kContext = "PlaceholderPage";
}

PlaceholderPageView::PlaceholderPageView(ui::PlaceholderPage& model, QWidget* parent)
    : QWidget(parent), fields_(this, kContext, [this] { fields_.Refresh(); }) {
    setObjectName(QStringLiteral("PlaceholderPage%1").arg(model.TemplateNumber()));
    auto* title = new QLabel(Caption(kContext, model.Title()));
    QFont font = title->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    font.setBold(true);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    auto* note = new QLabel(tr("该页面将在后续版本中提供。"));
    note->setAlignment(Qt::AlignCenter);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(title);
    layout->addWidget(note);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < static_cast<int>(model.Actions().size()); ++i) {
        const std::string name = "placeholderAction" + std::to_string(i);
        buttons->addWidget(fields_.Button(model.Actions()[i].button, name.c_str(),
                                          [&model, i] { model.OnAction(i); }));
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(2);

    binding_ = new ModelBinding(
        model, [this] { fields_.Refresh(); }, this);
    fields_.Refresh();
}

PlaceholderPageView::~PlaceholderPageView() { delete binding_; }

}  // namespace velmor::gui
