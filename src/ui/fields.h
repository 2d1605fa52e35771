#pragma once
// Plain control fields of page models: what a widget shows, nothing of how.

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

}  // namespace velmor::ui
