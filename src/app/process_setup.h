// What a process showing the main window sets before it creates its
// QApplication.
#pragma once

namespace pagloom {

// Lets QtWebEngine run as root (Chromium refuses its sandbox there) and
// shares OpenGL contexts, as QtWebEngine asks before the application exists.
void prepare_process();

}  // namespace pagloom
