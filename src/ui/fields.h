#pragma once
// Plain control fields of page models: what a widget shows, nothing of how.

#include <cstdint>
#include <string>
#include <vector>

namespace velmor::ui {

struct TextField {
    std::string text;
    bool enabled = true;
    bool visible = true;
};

struct ChoiceField {
    std::vector<std::string> items;
    int selected = -1;  // -1: nothing selected
    bool enabled = true;
    bool visible = true;

    std::string SelectedText() const {
        return selected >= 0 && selected < static_cast<int>(items.size()) ? items[selected]
                                                                          : std::string();
    }
};

// An editable combo box: any text, and items to choose one from.
struct ComboField {
    std::vector<std::string> items;
    std::string text;
    bool enabled = true;
    bool visible = true;
};

struct CheckField {
    bool checked = false;
    bool enabled = true;
    bool visible = true;
};

struct ButtonField {
    std::string caption;
    bool enabled = true;
    bool visible = true;
};

// A handler's wish that a control take the keyboard focus. `control` names it by
// its number; `revision` grows with every request, so a view honours each once.
struct FocusRequest {
    int control = 0;
    std::uint64_t revision = 0;

    void Request(int id) {
        control = id;
        ++revision;
    }
};

}  // namespace velmor::ui
