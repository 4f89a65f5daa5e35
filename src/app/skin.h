// The program's look: one Qt style sheet carried inside the executable
// (resource :/skins/skin.qss) whose colour fields each skin fills from its
// palette, applied to the whole application, the main window and its dialogs
// alike.
#pragma once

#include <QString>

namespace pagloom {

// Applies stored skin `n`. A number with no stored skin applies none and
// leaves the present look as it is. Writes no file.
void install_skin(int n);

// The style sheet of skin `n`; empty when no skin has that number.
[[nodiscard]] QString skin_style_sheet(int n);

}  // namespace pagloom
