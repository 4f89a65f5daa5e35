// The program's look: skins carried inside the executable as Qt style sheets
// (resources under :/skins), applied to the whole application, the main
// window and its dialogs alike.
#pragma once

namespace pagloom {

// Applies stored skin `n`. A number with no stored skin applies none and
// leaves the present look as it is. Writes no file.
void install_skin(int n);

// True when skin `n` is stored in the program.
[[nodiscard]] bool has_skin(int n);

}  // namespace pagloom
