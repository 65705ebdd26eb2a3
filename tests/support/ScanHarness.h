#pragma once
// A scan run wired to real parts (the MediaInfo library, files in a temporary
// application folder, an HTTP client) with the user's side recorded.
#include "app/AppContext.h"
#include "core/Options.h"
#include "core/ScanProgress.h"
#include "core/UserDialogs.h"
#include "platform/ToolLocator.h"
#include "scan/ScanRun.h"
#include "support/TestPaths.h"

#include <QFile>
#include <gtest/gtest.h>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace filmarch::test {

class RecordingDialogs : public UserDialogs {
public:
    void showMessage(const QString& text) override { messages << text; }
    void showError(const QString& text) override { messages << text; }
    QString chooseFolder(const QString&) override { return {}; }
    CatalogueChoice openCatalogue(int) override { return {}; }
    CatalogueChoice saveCatalogue(int) override { return {}; }
    QStringList messages;
};

// Remembers how far the bar went; `onFile` sees each file name shown.
class RecordingProgress : public ScanProgress {
public:
    void setMaximum(int m) override { max = m; }
    void setPosition(int p) override
    {
        pos = p;
        highest = std::max(highest, p);
    }
    int position() const override { return pos; }
    void setFileName(const QString& name) override
    {
        names << name;
        if (onFile)
            onFile(name);
    }
    void processEvents() override {}
    int max = -1, pos = 0, highest = 0;
    QStringList names;
    std::function<void(const QString&)> onFile;
};

// Files analysed at once by the harness's runs: FILMARCH_TACHES when set (the
// suite runs the catalogue tests with several), else one after the other.
inline int taches()
{
    const int n = qEnvironmentVariableIntValue("FILMARCH_TACHES");
    return n > 0 ? n : 1;
}

// Where the files are analysed: in helper processes as the installed program
// does, or in the test's own process.
enum class Analysis { InHelpers, InProcess };

struct ScanHarness {
    // `adjust` changes the run's context before the run is made.
    explicit ScanHarness(ScanOptions o = {}, const std::function<void(ScanFrontEnd&)>& adjust = {},
        Analysis analysis = Analysis::InHelpers)
        : options(std::move(o))
    {
        QDir(app.path()).mkdir(QStringLiteral("Logs_Filmarch"));
        if (analysis == Analysis::InHelpers) {
            EXPECT_TRUE(placeAnalysisHelper(app.path()));
        }
        context = std::make_unique<AppContext>(AppPaths::beside(app.path()), dialogs);
        context->journal.memo = [this](const QString& line) { log << line; };
        ScanFrontEnd frontEnd;
        frontEnd.options = &options;
        frontEnd.progress = &progress;
        frontEnd.CheminMkvToolNix = ToolLocator::system().findMkvToolNix();
        frontEnd.taches = taches();
        if (adjust)
            adjust(frontEnd);
        run = context->newScanRun(frontEnd);
    }

    // A run into a new catalogue.
    ScanOutcome scanNew(const QString& folder, const QString& catalogue)
    {
        ScanRequest r;
        r.EdCheminRepScan = folder;
        r.EdCheminCataloCree = catalogue;
        return run->BtLanceScanClick(r).outcome;
    }

    // A run completing `catalogue`, chosen (validated) first like the window does.
    ScanOutcome scanExisting(const QString& folder, const QString& catalogue)
    {
        ScanRequest r;
        r.EdCheminRepScan = folder;
        r.EdCheminCataloExistant = catalogue;
        if (run->validitecatalogue(catalogue) < 0)
            return ScanOutcome::NotStarted;
        return run->BtLanceScanClick(r).outcome;
    }

    // Log lines without their time.
    QStringList messages() const
    {
        QStringList out;
        for (const QString& l : log)
            out << (l.isEmpty() ? l : l.mid(10));
        return out;
    }

    QTemporaryDir app;
    FixedOptions options;
    RecordingDialogs dialogs;
    RecordingProgress progress;
    QStringList log;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<ScanRun> run;
};

} // namespace filmarch::test
