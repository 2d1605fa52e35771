#include "gui/main_window.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/field_widgets.h"
#include "gui/model_binding.h"
#include "gui/page_views.h"
#include "gui/qt_timer_service.h"
#include "shell/velmor_dlg.h"

namespace velmor::gui {

MainWindow::MainWindow(shell::CVelmorDlg& model, QWidget* parent)
    : QDialog(parent),
      model_(model),
      fields_(this, "velmor::gui::MainWindow", [this] { Refresh(); }) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
    timers_ = new QtTimerService([this](int id) { model_.OnTimer(id); }, this);
    model_.SetTimerService(timers_);
    model_.OnInitDialog();

    auto* menuBar = new QMenuBar(this);
    QMenu* menu = menuBar->addMenu(QStringLiteral("VelmorTool"));
    QAction* about = menu->addAction(Caption("CAboutDlg", model_.about.menuItem));
    about->setObjectName(QStringLiteral("aboutAction"));
    connect(about, &QAction::triggered, this, [this] { model_.OnAbout(); });

    tabs_ = new QTabBar;
    tabs_->setObjectName(QStringLiteral("tabs"));
    tabs_->setFocusPolicy(Qt::NoFocus);  // only a mouse click switches pages
    tabs_->setExpanding(false);
    tabs_->setDrawBase(true);
    tabs_->installEventFilter(this);
    connect(tabs_, &QTabBar::tabBarClicked, this, [this](int index) { model_.OnTabClick(index); });
    // The bar moves its current tab itself on a click; keep it on the model's page.
    connect(tabs_, &QTabBar::currentChanged, this,
            [this](int) { QTimer::singleShot(0, this, [this] { Refresh(); }); });

    auto* area = new QWidget;
    area->setObjectName(QStringLiteral("pageArea"));
    BuildPages(area);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(BuildTopRow());
    layout->addWidget(tabs_);
    layout->addWidget(area, 1);
    layout->setSpacing(4);

    binding_ = new ModelBinding(
        model_, [this] { Refresh(); }, this);
    Refresh();
}

MainWindow::~MainWindow() { model_.SetTimerService(nullptr); }

QWidget* MainWindow::BuildTopRow() {
    auto* row = new QWidget;
    auto* grid = new QHBoxLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);

    grid->addWidget(new QLabel(tr("连接状态")));
    QLabel* status = fields_.Label(model_.statusLine, "statusLine");
    status->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Disconnect......")));
    grid->addWidget(status);

    deviceLabel_ = new QLabel(tr("设备名称"));
    deviceLabel_->setObjectName(QStringLiteral("deviceNameLabel"));
    deviceLabel_->installEventFilter(this);
    grid->addWidget(deviceLabel_);
    QComboBox* deviceName = fields_.Choice(model_.deviceName, "deviceName");
    deviceName->setMinimumContentsLength(24);
    deviceName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    grid->addWidget(deviceName);

    grid->addWidget(new QLabel(tr("主板类型")));
    grid->addWidget(fields_.Choice(model_.boardType, "boardType", false,
                                   [this](int index) { model_.OnBoardTypeSelChange(index); }));
    grid->addWidget(fields_.Label(model_.versionLabel, "versionLabel"));
    grid->addStretch(1);

    auto* about = new QPushButton(tr("关于"));
    about->setObjectName(QStringLiteral("aboutButton"));
    about->setAutoDefault(false);
    connect(about, &QPushButton::clicked, this, [this] { model_.OnAbout(); });
    grid->addWidget(about);
    auto* exit = new QPushButton(tr("退出"));
    exit->setObjectName(QStringLiteral("exitButton"));
    exit->setAutoDefault(false);
    connect(exit, &QPushButton::clicked, this, &MainWindow::reject);
    grid->addWidget(exit);
    return row;
}

void MainWindow::BuildPages(QWidget* area) {
    // Every page sits in the same place; the model decides which one is visible.
    auto* stack = new QGridLayout(area);
    stack->setContentsMargins(0, 0, 0, 0);
    for (const ui::CWnd_ITEM& item : model_.TabHost().Items()) {
        QWidget* view = CreatePageView(item, area);
        stack->addWidget(view, 0, 0);
        pages_.push_back(view);
    }
}

QWidget* MainWindow::PageView(int index) const {
    return index >= 0 && index < static_cast<int>(pages_.size()) ? pages_[index] : nullptr;
}

void MainWindow::Refresh() {
    setWindowTitle(FromModel(model_.caption));
    fields_.Refresh();

    const auto& captions = model_.tabCaptions;
    {
        const QSignalBlocker block(tabs_);
        while (tabs_->count() > static_cast<int>(captions.size()))
            tabs_->removeTab(tabs_->count() - 1);
        for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
            if (i >= tabs_->count())
                tabs_->addTab(FromModel(captions[i]));
            else if (tabs_->tabText(i) != FromModel(captions[i]))
                tabs_->setTabText(i, FromModel(captions[i]));
        }
        const int current = model_.TabHost().CurrentPage();
        if (current < tabs_->count() && tabs_->currentIndex() != current)
            tabs_->setCurrentIndex(current);
    }

    const auto& items = model_.TabHost().Items();
    for (std::size_t i = 0; i < items.size() && i < pages_.size(); ++i) {
        pages_[i]->setVisible(items[i].page->Visible());
    }

    if (model_.ended && !closing_) {
        closing_ = true;
        QDialog::reject();
    }
}

void MainWindow::reject() {
    if (!model_.ended) model_.OnExit();  // the refresh that follows closes the window
    if (!closing_) {
        closing_ = true;
        QDialog::reject();
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == deviceLabel_ && event->type() == QEvent::MouseButtonRelease) {
        model_.OnDeviceNameLabelClick();
        return true;
    }
    if (watched == tabs_ && event->type() == QEvent::Wheel) return true;  // no wheel switching
    return QDialog::eventFilter(watched, event);
}

}  // namespace velmor::gui
