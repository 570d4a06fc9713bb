#pragma once

namespace velbrin::app {

// The program speaks simplified Chinese whatever the system's language: this makes Qt's own texts
// (the edit menu of the text boxes, standard buttons) Chinese as well, where Qt's translations are
// installed. Call once, after the application object exists.
void useChineseQtTexts();

} // namespace velbrin::app
