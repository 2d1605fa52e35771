#include "gui/movement_page_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <string>

#include "gui/cell_editor_overlay.h"
#include "gui/editable_list_view.h"
#include "gui/field_widgets.h"
#include "motion/movement_page.h"

namespace velmor::gui {

namespace {

using motion::Channel;
using motion::MovementPage;

// Both movement pages share their captions.
constexpr const char* kCaptionContext = "MovementPage";
constexpr int kNumberChars = 7;

struct MotorRow {
    const char* name;
    const char* caption;
};
constexpr MotorRow kMotorRows[] = {
    {"motorX", "X电机"},   {"motorY", "Y电机"},   {"motorZ", "Z电机"},
    {"motorM0", "M0电机"}, {"motorM1", "M1电机"},
};

std::string Indexed(const char* name, int index) { return name + std::to_string(index); }

// The status field breaks lines at CR LF only, as the platform's edit control
// does: the LF before a position line starts no empty line of its own.
QLabel* Header(const QString& text) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

}  // namespace

MovementPageView::MovementPageView(MovementPage& model, const char* objectName, QWidget* parent)
    : PageView(model, objectName, kCaptionContext, parent), model_(model) {
    auto* top = new QHBoxLayout;
    top->addWidget(BuildMotors());
    top->addWidget(BuildSettings());
    top->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->addWidget(BuildStepRow());
    middle->addWidget(BuildTest(), 1);

    auto* lists = new QHBoxLayout;
    lists->addWidget(BuildList(MovementPage::kMovementList), 1);
    lists->addWidget(BuildList(MovementPage::kMovetestList), 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addLayout(lists, 1);

    Bind();
}

MovementPageView::~MovementPageView() = default;

QString MovementPageView::Text(const char* chinese) const { return Caption(chinese); }

QWidget* MovementPageView::BuildMotors() {
    auto* grid = new QGridLayout;
    grid->addWidget(Header(Text("加减速步数")), 0, 1);
    grid->addWidget(Header(Text("最大速度")), 0, 2);
    grid->addWidget(Header(Text("移动距离(脉冲)")), 0, 3);
    auto* direction = new QVBoxLayout;
    direction->addWidget(Header(Text("运动方向")));
    direction->addWidget(Header(Text("(0-原点,1-终点)")));
    grid->addLayout(direction, 0, 4);
    for (int slot = 0; slot < 5; ++slot) {
        motion::MotorInputs& m = model_.motors[static_cast<std::size_t>(slot)];
        const int row = slot + 1;
        grid->addWidget(Fields().Check(m.ticked, kMotorRows[slot].name, kMotorRows[slot].caption,
                                       [this, slot] { model_.OnMotorCheck(slot); }),
                        row, 0);
        grid->addWidget(
            Fields().Text(m.accelSteps, Indexed("accelSteps", slot).c_str(), kNumberChars), row, 1);
        grid->addWidget(Fields().Text(m.topSpeed, Indexed("topSpeed", slot).c_str(), kNumberChars),
                        row, 2);
        grid->addWidget(Fields().Text(m.distance, Indexed("distance", slot).c_str(), kNumberChars),
                        row, 3);
        grid->addWidget(Fields().Choice(m.direction, Indexed("direction", slot).c_str()), row, 4);
    }
    auto* column = new QVBoxLayout;
    column->addLayout(grid);
    if (model_.HasXdcMotor()) column->addWidget(BuildXdcMotor());
    column->addStretch(1);
    auto* box = new QGroupBox;
    box->setObjectName(QStringLiteral("motors"));
    box->setLayout(column);
    return box;
}

QWidget* MovementPageView::BuildXdcMotor() {
    motion::XdcInputs& x = model_.xdc;
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(Header(Text("起动电压")), 0, 1);
    grid->addWidget(Header(Text("终速电压")), 0, 2);
    grid->addWidget(Header(Text("移动距离(脉冲)")), 0, 3);
    grid->addWidget(
        Fields().Check(x.ticked, "xdcMotor", "X无刷电机", [this] { model_.OnXdcCheck(); }), 1, 0);
    grid->addWidget(Fields().Text(x.startVoltage, "xdcStartVoltage", kNumberChars), 1, 1);
    grid->addWidget(Fields().Text(x.endVoltage, "xdcEndVoltage", kNumberChars), 1, 2);
    grid->addWidget(Fields().Text(x.distance, "xdcDistance", kNumberChars), 1, 3);
    grid->addWidget(Fields().Choice(x.direction, "xdcDirection"), 1, 4);
    grid->addWidget(new QLabel(Text("PWM频率")), 2, 0, Qt::AlignRight);
    grid->addWidget(Fields().Text(x.frequency, "xdcFrequency", kNumberChars), 2, 1);
    grid->addWidget(new QLabel(Text("加速距离:")), 2, 2, Qt::AlignRight);
    auto* multiply = new QHBoxLayout;
    multiply->addWidget(Fields().Text(x.multiply, "xdcMultiply", kNumberChars));
    multiply->addWidget(new QLabel(Text("mm")));
    grid->addLayout(multiply, 2, 3);
    auto* box = new QWidget;
    box->setLayout(grid);
    return box;
}

void MovementPageView::AddSettingsRow(QGridLayout* grid, int row, motion::SettingsGroup& group) {
    const int index = static_cast<int>(group.channel);
    const auto changed = [this](int) { model_.OnSettingsChange(); };
    grid->addWidget(
        Fields().Choice(group.dirPolarity, Indexed("dirPolarity", index).c_str(), false, changed),
        row, 1);
    // The fiber page's second limit (left or lower) comes first for X, Y0, Y1
    // and M1 (left, right), after the first for Z0 and M0 (upper, lower).
    const bool upperFirst = group.channel == Channel::kZ0 || group.channel == Channel::kM0;
    QComboBox* limit = Fields().Choice(group.limitPolarity, Indexed("limitPolarity", index).c_str(),
                                       false, changed);
    if (group.twoLimits) {
        QComboBox* limit2 = Fields().Choice(
            group.limitPolarity2, Indexed("limitPolarityTwo", index).c_str(), false, changed);
        grid->addWidget(upperFirst ? limit : limit2, row, 2);
        grid->addWidget(upperFirst ? limit2 : limit, row, 3);
    } else {
        grid->addWidget(limit, row, 2);
    }
    grid->addWidget(
        Fields().Choice(group.limitEnable, Indexed("limitEnable", index).c_str(), false, changed),
        row, group.twoLimits ? 4 : 3);
}

QWidget* MovementPageView::BuildSettings() {
    auto* grid = new QGridLayout;
    const auto headers = [&](int row, const char* limit, const char* limit2) {
        grid->addWidget(Header(Text("方向极性")), row, 1);
        grid->addWidget(Header(Text(limit)), row, 2);
        if (limit2) grid->addWidget(Header(Text(limit2)), row, 3);
        grid->addWidget(Header(Text("限位使能")), row, limit2 ? 4 : 3);
    };
    const auto rowName = [&](Channel channel) -> QWidget* {
        switch (channel) {
            case Channel::kX:
                return new QLabel(Text("X电机"));
            case Channel::kY0:
                return Fields().Check(model_.y0, "y0", "Y0", [this] { model_.OnY0Check(); });
            case Channel::kY1:
                return Fields().Check(model_.y1, "y1", "Y1", [this] { model_.OnY1Check(); });
            case Channel::kZ0:
                return new QLabel(QStringLiteral("Z0"));
            case Channel::kM0:
                return new QLabel(QStringLiteral("M0"));
            case Channel::kM1:
                break;
        }
        return new QLabel(QStringLiteral("M1"));
    };

    int row = 0;
    const auto add = [&](const std::vector<Channel>& channels) {
        for (Channel channel : channels) {
            grid->addWidget(rowName(channel), row, 0);
            AddSettingsRow(grid, row++, model_.Settings(channel));
        }
    };
    for (const MovementPage::SettingsBlock& block : model_.SettingsBlocks()) {
        headers(row++, block.limitCaption, block.limit2Caption);
        add(block.channels);
    }

    auto* more = new QHBoxLayout;
    if (model_.dualY.visible)
        more->addWidget(
            Fields().Check(model_.dualY, "dualY", "双Y", [this] { model_.OnDualYCheck(); }));
    more->addWidget(new QLabel(Text("控制板")));
    more->addWidget(Fields().Choice(model_.z0Board, "z0Board", false,
                                    [this](int) { model_.OnSettingsChange(); }));
    more->addWidget(new QLabel(Text("Z轴齿轮比:")));
    more->addWidget(Fields().Text(model_.gearRatio, "gearRatio", kNumberChars));
    more->addStretch(1);

    auto* column = new QVBoxLayout;
    column->addLayout(grid);
    column->addLayout(more);
    column->addStretch(1);
    auto* box = new QGroupBox;
    box->setObjectName(QStringLiteral("settings"));
    box->setLayout(column);
    return box;
}

QWidget* MovementPageView::BuildTest() {
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Fields().Button(model_.moveButton, "moveButton",
                                       Call<MovementPage>(model_, &MovementPage::OnMoveMotor)));
    buttons->addWidget(Fields().Button(model_.stopButton, "stopButton",
                                       Call<MovementPage>(model_, &MovementPage::OnStopMotor)));
    auto* controls = new QVBoxLayout;
    controls->addWidget(
        Fields().Check(model_.testMode, "testMode", "测试运动", [this] { model_.OnTestMode(); }));
    controls->addLayout(buttons);
    controls->addStretch(1);

    status_ = new QPlainTextEdit;
    status_->setObjectName(QStringLiteral("statusText"));
    status_->setReadOnly(true);
    status_->setLineWrapMode(QPlainTextEdit::NoWrap);
    status_->setFixedHeight(status_->fontMetrics().lineSpacing() * 4 + 12);
    Fields().OnRefresh([this] {
        const QString text = FromModel(model_.StatusDisplayText());
        if (status_->toPlainText() != text) status_->setPlainText(text);
    });

    auto* row = new QHBoxLayout;
    row->addLayout(controls);
    row->addWidget(status_, 1);
    auto* box = new QGroupBox;
    box->setObjectName(QStringLiteral("test"));
    box->setLayout(row);
    return box;
}

QWidget* MovementPageView::BuildStepRow() {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(new QLabel(Text("LED显示")));
    row->addWidget(Fields().Choice(model_.led, "led"));
    row->addWidget(Fields().Button(model_.addButton, "addButton",
                                   Call<MovementPage>(model_, &MovementPage::OnAdd)));
    row->addWidget(Fields().Button(model_.previewButton, "previewButton",
                                   Call<MovementPage>(model_, &MovementPage::OnPreview)));
    row->addStretch(1);
    auto* box = new QWidget;
    box->setLayout(row);
    return box;
}

QWidget* MovementPageView::BuildList(int list) {
    const bool test = list == MovementPage::kMovetestList;
    auto* view = new EditableListView(model_.List(list), nullptr);
    view->setObjectName(test ? QStringLiteral("movetestList") : QStringLiteral("movementList"));
    view->setFont(font());
    lists_[list] = view;
    editors_[list] = new CellEditorOverlay(model_, list, view, [this] { Refresh(); });

    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(test ? Fields().Radio(model_.movetestRadio, "movetestRadio", "movetest list",
                                            [this] { model_.OnTargetList(1); })
                           : Fields().Radio(model_.movementRadio, "movementRadio", "movement list",
                                            [this] { model_.OnTargetList(0); }));
    column->addWidget(view, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(test ? Fields().Button(model_.deleteTestButton, "deleteTestButton",
                                              [this] { model_.OnDelete(1); })
                            : Fields().Button(model_.deleteButton, "deleteButton",
                                              [this] { model_.OnDelete(0); }));
    column->addLayout(buttons);
    auto* box = new QWidget;
    box->setLayout(column);
    return box;
}

void MovementPageView::RefreshMore() {
    for (int list = 0; list < 2; ++list) {
        lists_[list]->Refresh();
        editors_[list]->Refresh();
    }
}

}  // namespace velmor::gui
