#include "gui/main_window.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

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
    // Each page scrolls in its own area, so a page larger than the window is
    // scrolled rather than cut, and showing it does not make the window grow.
    auto* stack = new QGridLayout(area);
    stack->setContentsMargins(0, 0, 0, 0);
    for (const ui::CWnd_ITEM& item : model_.TabHost().Items()) {
        auto* scroll = new QScrollArea(area);
        scroll->setObjectName(QStringLiteral("pageScroll%1").arg(scrolls_.size()));
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        QWidget* view = CreatePageView(item, scroll);
        scroll->setWidget(view);
        stack->addWidget(scroll, 0, 0);
        pages_.push_back(view);
        scrolls_.push_back(scroll);
    }
}

QWidget* MainWindow::PageView(int index) const {
    return index >= 0 && index < static_cast<int>(pages_.size()) ? pages_[index] : nullptr;
}

QScrollArea* MainWindow::PageScroll(int index) const {
    return index >= 0 && index < static_cast<int>(scrolls_.size()) ? scrolls_[index] : nullptr;
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (fitted_) return;
    fitted_ = true;
    // A size the caller chose (a resize before the first show: the screenshots, the
    // view tests) is the caller's to keep.
    if (testAttribute(Qt::WA_Resized)) return;
    FitToScreen();
    // The window system adds its frame once the window is mapped: fit it again
    // then, so the title bar stays on the screen too.
    QTimer::singleShot(0, this, [this] { FitToScreen(); });
}

QSize MainWindow::LargestPageSize() const {
    // What the window needs beside its page area, plus the largest page's own size.
    QSize largest(0, 0);
    for (QWidget* page : pages_) largest = largest.expandedTo(page->sizeHint());
    const QWidget* area = scrolls_.empty() ? nullptr : scrolls_.front()->parentWidget();
    const QSize chrome = area != nullptr ? sizeHint() - area->sizeHint() : QSize(0, 0);
    return (largest + chrome).expandedTo(minimumSizeHint());
}

void MainWindow::FitToScreen() {
    // The largest page decides, within the screen's available area.
    QSize wanted = LargestPageSize();
    const QScreen* shown = screen();
    if (shown == nullptr) {
        resize(wanted);
        return;
    }
    const QRect available = shown->availableGeometry();
    // The frame the window system draws around the window (title bar, borders).
    const QSize frame = frameGeometry().size() - geometry().size();
    wanted = wanted.boundedTo(available.size() - frame);
    if (wanted != size()) resize(wanted);
    QRect placed = frameGeometry();
    placed.moveLeft(std::clamp(placed.left(), available.left(),
                               std::max(available.left(), available.right() - placed.width() + 1)));
    placed.moveTop(std::clamp(placed.top(), available.top(),
                              std::max(available.top(), available.bottom() - placed.height() + 1)));
    if (placed.topLeft() != frameGeometry().topLeft()) move(placed.topLeft());
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
    for (std::size_t i = 0; i < items.size() && i < scrolls_.size(); ++i) {
        scrolls_[i]->setVisible(items[i].page->Visible());
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
