#pragma once
// Program start: the checks made before any window, then the main window, the
// progress window and the lookup window (the last two hidden).
#include <QString>
#include <memory>

namespace filmarch {

class AppContext;
class AppPaths;
class TForm1;
class TFormAllocine;
class TFormScanEnCours;
class ToolLocator;
class UserDialogs;

struct FilmarchWindows {
    FilmarchWindows();
    ~FilmarchWindows();
    // Declared so that the main window goes first (its end saves the
    // settings) and the parts it uses go last.
    std::unique_ptr<AppContext> context;
    std::unique_ptr<TFormAllocine> FormAllocine;
    std::unique_ptr<TForm1> Form1;
};

// Returns null when the program must end (the reason was shown through
// `dialogs`). `dialogs` must outlive the windows. Nothing is shown yet.
std::unique_ptr<FilmarchWindows> startFilmarch(const AppPaths& paths, UserDialogs& dialogs, const ToolLocator& tools);

} // namespace filmarch
