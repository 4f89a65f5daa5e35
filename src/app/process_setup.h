// What a process showing the main window sets up around its QApplication.
#pragma once

class QCoreApplication;

namespace pagloom {

// Lets QtWebEngine run as root (Chromium refuses its sandbox there) and
// shares OpenGL contexts, as QtWebEngine asks before the application exists.
void prepare_process();

// Makes Qt's own texts Chinese like the window's: the buttons of file dialogs
// and message boxes (qtbase), the browser's menus (qtwebengine), and the
// browser's own pages, which follow the default locale. The system's locale
// is kept when it is Chinese, zh_CN is used otherwise. Call it once the
// application exists and before the main window (and its browser) is made.
void load_translations(QCoreApplication& app);

}  // namespace pagloom
