#include "app/ui/StartupWindows.h"

#include "app/AppContext.h"
#include "app/Startup.h"
#include "app/ui/MainWindow.h"
#include "app/ui/ScanProgressWindow.h"
#include "core/UserDialogs.h"
#include "filmdb/ui/LookupWindow.h"

#include <QPushButton>

namespace filmarch {

FilmarchWindows::FilmarchWindows() = default;
FilmarchWindows::~FilmarchWindows() = default;

std::unique_ptr<FilmarchWindows> startFilmarch(const AppPaths& paths, UserDialogs& dialogs, const ToolLocator& tools)
{
    if (!prepareStart(paths, dialogs))
        return nullptr;
    auto windows = std::make_unique<FilmarchWindows>();
    try {
        windows->context = std::make_unique<AppContext>(paths, dialogs);
        // The main window makes its progress window; it stays hidden until a run shows it.
        windows->Form1 = std::make_unique<TForm1>(*windows->context, tools);
    } catch (const std::exception& e) {
        // The library file is there but cannot be loaded.
        dialogs.showError(QString::fromStdString(e.what()));
        return nullptr;
    }
    windows->FormAllocine = std::make_unique<TFormAllocine>(paths, dialogs);
    TFormScanEnCours* progress = &windows->Form1->FormScanEnCours;
    windows->FormAllocine->progressTopLeft = [progress] { return progress->pos(); };
    windows->FormAllocine->enableProgressStop = [progress](bool on) { progress->setStopEnabled(on); };
    windows->Form1->setManualLookup(windows->FormAllocine.get());
    return windows;
}

} // namespace filmarch
