#pragma once
// What a scan run working on a thread of its own reaches of the windows: the
// dialogs, the options, the progress window and the lookup window, each asked
// on the windows' thread while the run waits for it. Waiting for each step
// keeps the run where the windows show it: a "Stop" pressed while a file's
// progress is shown stops the run before its next file.
#include "core/Options.h"
#include "core/ScanProgress.h"
#include "core/UserDialogs.h"
#include "filmdb/ManualLookup.h"
#include "platform/CallsOnThread.h"

#include <atomic>

class QObject;

namespace filmarch {

class RunFrontEnd : public UserDialogs, public OptionSource, public ScanProgress, public ManualLookup {
public:
    // `window` lives on the windows' thread and outlives this object; so do the others.
    RunFrontEnd(QObject* window, UserDialogs& dialogs, const OptionSource& options, ScanProgress& progress);

    // The lookup window; none: the manual lookup is not offered.
    void setManualLookup(ManualLookup* lookup) { manual = lookup; }

    // Runs `call` on the windows' thread (in place there) and waits for it.
    void inWindows(const std::function<void()>& call) { calls.run(call); }

    // The windows go: a run waiting for one of them gets a neutral answer (no
    // choice, the options as last read, "stop" from the lookup), and nothing
    // more reaches them.
    void close() { calls.close(); }

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    QString chooseFolder(const QString& caption) override;
    CatalogueChoice openCatalogue(int initialFilter) override;
    CatalogueChoice saveCatalogue(int initialFilter) override;

    ScanOptions options() const override;

    void setMaximum(int max) override;
    void setPosition(int position) override;
    int position() const override { return current; }
    void setFileName(const QString& name) override;
    void startFile(const QString& name) override;
    void processEvents() override {} // the windows' own loop goes on meanwhile

    ManualLookupDecision lookUp(const ManualLookupRequest& request) override;

private:
    mutable CallsOnThread calls;
    UserDialogs& dialogs;
    const OptionSource& source;
    ScanProgress& progress;
    ManualLookup* manual = nullptr;
    std::atomic<int> current = 0;
    mutable ScanOptions lastOptions;
};

} // namespace filmarch
