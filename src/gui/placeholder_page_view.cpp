#include "gui/placeholder_page_view.h"

#include <QLabel>
#include <QVBoxLayout>

#include "gui/field_widgets.h"
#include "ui/placeholder_page.h"

namespace velmor::gui {

namespace {
constexpr const char* kContext = "PlaceholderPage";
}

PlaceholderPageView::PlaceholderPageView(ui::PlaceholderPage& model, QWidget* parent)
    : QWidget(parent) {
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
    layout->addStretch(2);
}

}  // namespace velmor::gui
