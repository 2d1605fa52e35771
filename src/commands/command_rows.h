#pragma once
// The command lists of the command-set dialogs: the editor's list of one set and
// the preview of the download order. Both show a command's keyword, register name,
// address and data (hexadecimal, lower case, no prefix); the preview adds the set
// name after the number.
//
// A keyword that is none of the eight has no image code: the download refuses such
// a command, so both lists give its row a warning colour while keeping its text as
// typed.

#include <cstdint>
#include <string>
#include <vector>

#include "controller/cmd_info.h"
#include "controller/language.h"

namespace velmor::ui {
class CEditableListCtrl;
}

namespace velmor::commands {

// Light red, as 0x00BBGGRR.
inline constexpr std::uint32_t kUnknownKeywordColour = 0x00C8C8FF;

enum class CommandListKind {
    Editor,   // number, keyword, register name, address, data
    Preview,  // number, set name, keyword, register name, address, data
};

// The columns, captions in English when `english`, widths from the list's width.
void SetUpCommandColumns(ui::CEditableListCtrl& list, CommandListKind kind,
                         controller::Language language, int listWidth);

// Appends one row per command, numbered on from the rows already there.
void AppendCommandRows(ui::CEditableListCtrl& list, CommandListKind kind,
                       const std::vector<controller::CMD_INFO>& commands);

// Gives `row` the warning colour when `keyword` has no image code, else none.
void MarkKeyword(ui::CEditableListCtrl& list, int row, const std::string& keyword);

// True when some command's keyword has no image code.
bool HasUnknownKeyword(const std::vector<controller::CMD_INFO>& commands);

}  // namespace velmor::commands
