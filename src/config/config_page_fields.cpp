#include "config/config_page_fields.h"

#include <optional>
#include <string>

#include "config/config_encoding.h"
#include "config/config_value_lists.h"

namespace velmor::config {

namespace {

enum class Editable { Yes, Never, ByRule };  // ByRule: the head-type rule or Encode decides
enum class Shown { Both, SingleOnly, FiberOnly, Hidden };

struct ChoiceRow {
    ui::ChoiceField ConfigPageFields::*field;
    int ConfigControls::*control;  // null: the control carries no parameter
    ValueList values;
    Editable editable;
    Shown shown;
};

struct ColumnRow {
    ui::ChoiceField HeadColumnFields::*field;
    int HeadColumnControls::*control;
    ValueList values;
};

using F = ConfigPageFields;
using C = ConfigControls;
using H = HeadColumnFields;
using HC = HeadColumnControls;

// "点数" is missing here: its texts follow the language.
const ChoiceRow kChoiceRows[] = {
    {&F::orignalAt, &C::orignalAt, kOrignalAtValues, Editable::Yes, Shown::Both},
    {&F::jetType, &C::jetType, kJetTypeValues, Editable::Never, Shown::Both},
    {&F::rasterRes, &C::rasterRes, kRasterResValues, Editable::Never, Shown::Both},
    {&F::flashFrequency, &C::flashFrequency, kFlashFrequencyValues, Editable::ByRule, Shown::Both},
    {&F::mLLeftPol, &C::mLLeftPol, kPolarityValues, Editable::Yes, Shown::SingleOnly},
    {&F::mLRight, &C::mLRight, kPolarityValues, Editable::Yes, Shown::Both},
    {&F::mRaster, &C::mRaster, kPolarityValues, Editable::Yes, Shown::Both},
    {&F::motoXDir, &C::motoXDir, kPolarityValues, Editable::Yes, Shown::SingleOnly},
    {&F::motoYDir, &C::motoYDir, kPolarityValues, Editable::Yes, Shown::SingleOnly},
    {&F::inkAutoEn, &C::inkAutoEn, kInkAutoValues, Editable::Yes, Shown::Both},
    {&F::doubleYSel, &C::doubleYSel, kDoubleYValues, Editable::Yes, Shown::FiberOnly},
    {&F::xLimitSel, &C::xLimitSel, kLimitSelValues, Editable::Yes, Shown::Both},
    {&F::yLimitSel, &C::yLimitSel, kLimitSelValues, Editable::Yes, Shown::Both},
    {&F::xRaster, &C::xRaster, kRasterSelValues, Editable::Yes, Shown::Both},
    {&F::yRaster, &C::yRaster, kRasterSelValues, Editable::Yes, Shown::Both},
    {&F::mPolWaste, &C::mPolWaste, kPolarityValues, Editable::Yes, Shown::Both},
    {&F::pLLeftPol, nullptr, kPolarityValues, Editable::Never, Shown::Both},
    {&F::pLRightPol, nullptr, kPolarityValues, Editable::Never, Shown::Both},
    {&F::clearAt, nullptr, kClearAtValues, Editable::Yes, Shown::Hidden},
    {&F::autoInitEn, nullptr, kAutoInitValues, Editable::Yes, Shown::Hidden},
    {&F::memSize, nullptr, kMemSizeValues, Editable::Never, Shown::Hidden},
    {&F::motorZDir, nullptr, kPolarityValues, Editable::Yes, Shown::Hidden},
    {&F::drop10, nullptr, kDrop10Values, Editable::ByRule, Shown::Hidden},
    {&F::drop32, nullptr, kDrop32Values, Editable::ByRule, Shown::Hidden},
    {&F::dropTick, nullptr, kDropTickValues, Editable::ByRule, Shown::Hidden},
};

const ColumnRow kColumnRows[] = {
    {&H::hLLeftPol, &HC::hLLeftPol, kPolarityValues},
    {&H::hLRightPol, &HC::hLRightPol, kPolarityValues},
    {&H::hRasterPol, &HC::hRasterPol, kPolarityValues},
    {&H::inkSafePol, &HC::inkSafePol, kPolarityValues},
    {&H::jetOriental, &HC::jetOriental, kJetOrientalValues},
    {&H::prnLimitSel, &HC::prnLimitSel, kPrnLimitValues},
    {&H::prnRasterSel, &HC::prnRasterSel, kPrnRasterValues},
};

void Fill(ui::ChoiceField& field, ValueList values) {
    field.items.assign(values.begin(), values.end());
    field.selected = 0;
}

bool ShownIn(Shown shown, controller::BoardLayout layout) {
    switch (shown) {
        case Shown::Both:
            return true;
        case Shown::SingleOnly:
            return layout == controller::BoardLayout::kMainBoard;
        case Shown::FiberOnly:
            return layout == controller::BoardLayout::kFiber;
        case Shown::Hidden:
            break;
    }
    return false;
}

// Every choice of a column, the ink polarities included.
template <typename Column, typename Visit>
void ForEachColumnChoice(Column& column, Visit visit) {
    for (const ColumnRow& row : kColumnRows) visit(column.*row.field, row.values);
    for (auto& ink : column.inkPol) visit(ink, ValueList(kPolarityValues));
}

void EnableColumn(HeadColumnFields& column, bool on) {
    ForEachColumnChoice(column, [on](ui::ChoiceField& field, ValueList) { field.enabled = on; });
}

}  // namespace

void FillLists(ConfigPageFields& fields, controller::Language language) {
    for (const ChoiceRow& row : kChoiceRows) {
        Fill(fields.*row.field, row.values);
        if (row.shown == Shown::Hidden) (fields.*row.field).visible = false;
    }
    Fill(fields.dotSize, DotSizeValues(language));
    for (HeadColumnFields* column : {&fields.mainColumn, &fields.secondColumn})
        ForEachColumnChoice(*column, Fill);
    fields.cfg.visible = false;
}

void EnableControls(ConfigPageFields& fields, bool on) {
    for (const ChoiceRow& row : kChoiceRows) {
        if (row.editable == Editable::Yes) (fields.*row.field).enabled = on;
        if (row.editable == Editable::Never) (fields.*row.field).enabled = false;
    }
    fields.inkSupplyTime.enabled = on;
    fields.flashSpitOn.enabled = on;
    for (ui::CheckField& channel : fields.channels) channel.enabled = false;
    EnableColumn(fields.mainColumn, on);
    EnableColumn(fields.secondColumn, on);
    fields.memSize.visible = false;
}

void ShowLayout(ConfigPageFields& fields, controller::BoardLayout layout) {
    for (const ChoiceRow& row : kChoiceRows)
        (fields.*row.field).visible = ShownIn(row.shown, layout);
    const bool fiber = layout == controller::BoardLayout::kFiber;
    ForEachColumnChoice(fields.secondColumn,
                        [fiber](ui::ChoiceField& field, ValueList) { field.visible = fiber; });
    fields.mainColumnTitle.visible = fiber;
    fields.secondColumnTitle.visible = fiber;
}

void ApplyHeadTypeRule(ConfigPageFields& fields) {
    const std::optional<bool> enabled = DropControlsEnabled(fields.jetType.selected);
    if (!enabled) return;
    for (ui::ChoiceField* field :
         {&fields.drop10, &fields.drop32, &fields.dropTick, &fields.dotSize})
        field->enabled = *enabled;
}

ConfigControls ReadControls(const ConfigPageFields& fields) {
    ConfigControls controls;
    for (const ChoiceRow& row : kChoiceRows) {
        if (row.control) controls.*row.control = (fields.*row.field).selected;
    }
    controls.inkSupplyText = fields.inkSupplyTime.text;
    controls.dotSize = fields.dotSize.selected;
    controls.flashSpitOn = fields.flashSpitOn.checked;
    for (std::size_t i = 0; i < controls.channels.size(); ++i)
        controls.channels[i] = fields.channels[i].checked;
    const auto readColumn = [](const HeadColumnFields& column, HeadColumnControls& out) {
        for (const ColumnRow& row : kColumnRows) out.*row.control = (column.*row.field).selected;
        for (std::size_t i = 0; i < out.inkPol.size(); ++i)
            out.inkPol[i] = column.inkPol[i].selected;
    };
    readColumn(fields.mainColumn, controls.mainColumn);
    readColumn(fields.secondColumn, controls.secondColumn);
    return controls;
}

void ShowControls(const ConfigControls& controls, ConfigPageFields& fields) {
    for (const ChoiceRow& row : kChoiceRows) {
        if (row.control) (fields.*row.field).selected = controls.*row.control;
    }
    fields.inkSupplyTime.text = controls.inkSupplyText;
    fields.dotSize.selected = controls.dotSize;
    fields.flashSpitOn.checked = controls.flashSpitOn;
    for (std::size_t i = 0; i < controls.channels.size(); ++i)
        fields.channels[i].checked = controls.channels[i];
    const auto showColumn = [](const HeadColumnControls& in, HeadColumnFields& column) {
        for (const ColumnRow& row : kColumnRows) (column.*row.field).selected = in.*row.control;
        for (std::size_t i = 0; i < in.inkPol.size(); ++i) column.inkPol[i].selected = in.inkPol[i];
    };
    showColumn(controls.mainColumn, fields.mainColumn);
    showColumn(controls.secondColumn, fields.secondColumn);
}

}  // namespace velmor::config
