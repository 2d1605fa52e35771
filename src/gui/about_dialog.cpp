#include "gui/about_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "gui/field_widgets.h"
#include "shell/about_dlg.h"

namespace velmor::gui {

namespace {
constexpr const char* kContext = "CAboutDlg";
}

AboutDialog::AboutDialog(shell::CAboutDlg& model, QWidget* parent)
    : ModalDialogView(model, kContext, parent, Call(model, &shell::CAboutDlg::OnOK)) {
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(Caption(kContext, model.caption));

    auto* icon = new QLabel;
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    auto* version = new QLabel(Caption(kContext, model.versionText));
    version->setObjectName(QStringLiteral("aboutVersion"));
    texts->addWidget(version);
    for (const std::string& note : model.changeNotes)
        texts->addWidget(new QLabel(Caption(kContext, note)));
    if (!model.historyText.empty()) {
        auto* history = new QLabel(FromModel(model.historyText));
        history->setObjectName(QStringLiteral("aboutHistory"));
        history->setTextInteractionFlags(Qt::TextSelectableByMouse);
        texts->addWidget(history);
    }

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addLayout(texts, 1);

    auto* buttons = new QDialogButtonBox;
    QPushButton* ok =
        buttons->addButton(Caption(kContext, model.okCaption), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("aboutOk"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Bind();
}

}  // namespace velmor::gui
