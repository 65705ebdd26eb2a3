#pragma once
// The main window: the Scan page (folder and catalogue to work on), the
// Options page (the settings of options.ini) and the Journal page, laid out in
// MainWindow.ui. It owns the log, the scan run and the option rules; other
// windows and the run reach the options and EcritureLog through it.
#include "app/AppContext.h"
#include "app/OptionRules.h"
#include "core/Options.h"
#include "core/ui/DesktopNotice.h"

#include <QMainWindow>
#include <QPointer>
#include <QThread>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QLineEdit;
class QTimer;

namespace Ui {
class TForm1;
}

namespace filmarch {

class ManualLookup;
class OptionControls;
class RunFrontEnd;
class TForm4;
class TFormAPropos;
class RecentCatalogues;
class TFormScanEnCours;
class ToolLocator;
class UserDialogs;

class TForm1 : public QMainWindow, public OptionSource {
    Q_OBJECT
public:
    // Builds the window and runs FormCreate: settings, remembered catalogue,
    // MKVToolNix discovery, drop target.
    TForm1(AppContext& app, const ToolLocator& tools, QWidget* parent = nullptr);
    // Runs Form1OnDestroy.
    ~TForm1() override;

    // The scan options as they stand in the controls right now.
    ScanOptions options() const override;

    void EcritureLog(const QString& FichierLog, const QString& Mes);
    void LectureIni();

    // A run takes the menu bar away and gives it back when it ends.
    void removeMenuBar();
    void restoreMenuBar();

    QString iniPath() const;
    UserDialogs& userDialogs() { return dialogs; }

    // The lookup window a run shows for each film when the manual lookup is chosen.
    void setManualLookup(ManualLookup* lookup);
    // From "Lancer le scan" until the page shows the run's result: the run
    // works on a thread of its own meanwhile.
    bool scanUnderWay() const { return scanThread != nullptr; }

    // Creates the synchronisation window (set by that tool); the main window
    // stays disabled until the window it returns is destroyed.
    std::function<QWidget*()> createSynchro;

    // Folder of mkvmerge and mkvextract, ending with '/'; empty when not found.
    QString CheminMkvToolNix;
    // The film-database host read from options.ini; empty when none is set.
    QString Serveur;
    // The film-database settings read from options.ini (the source and the
    // TMDb key are then shown, and read back, in the Options page).
    ScanOptions storedLookup;

    // The program's shared parts: log, MediaInfo object, HTTP client, paths.
    AppContext& app;
    Journal& journal;
    OptionRules rules;
    std::unique_ptr<RunFrontEnd> runFrontEnd; // the windows as the run's thread reaches them
    std::unique_ptr<ScanRun> scanRun;
    QPointer<QThread> scanThread; // while a run works
    // The progress window, a child of this window so that it stays above it.
    TFormScanEnCours& FormScanEnCours;
    TForm4* Form4 = nullptr;                 // while a reset waits for its answer
    QPointer<TFormAPropos> FormAPropos;      // while the About window is open
    RecentCatalogues* recents = nullptr;     // owned by its menu
    std::optional<LongTaskNotice> runNotice; // while a scan runs

    QAbstractButton* boxWidget(OptionBox box) const { return boxWidgets[static_cast<int>(box)]; }

public slots:
    void BtChoixRepScanClick();
    void BtCherchCataloExistClick();
    void BtCherchCataloCreeClick();
    void BtRepAfficheClick();
    void BtLanceScanClick();
    void BtSaveOptionsClick();
    // The lookup group is usable when the chosen film database can be asked.
    void updateLookupGroup();
    void updatePosterFolder();
    void MenuExporterOnClick();
    void MenuVerifierOnClick();
    void BtIniDefautClick();

    void CbNouveauCataAMCClick();
    void CbNouveauCataXMLClick();
    void CbAfficheClick();
    void CbPieceJointeOnClick();
    void CbfichiersImagesClick();
    void CbToutFichierClick();
    void CbAlloClick();
    void CbAlloAutoClick();
    void CbAlloManuClick();
    void CbEviterDoublonsOnClick();
    void CbGenUrlOnClick();

    void MenuNewCatalogOnClick();
    void MenuCompleteCatalogOnClick();
    void LancementSynchro();
    void pathTyped(QLineEdit* field);
    void MontreManuel();
    void MontreAPropos();

    // A catalogue file dropped on GbCataloExistant.
    void TraiteMessage(const QList<QUrl>& urls);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Refused while a run works or another window waits for an answer.
    void closeEvent(QCloseEvent* event) override;

private:
    class Controls;

    void bindRules();
    void forwardBox(OptionBox box);
    void syncBox(OptionBox box);

    void FormCreate(const ToolLocator& tools);
    void Form1OnDestroy();
    void discoverMkvToolNix(const ToolLocator& tools);
    // With `tellBusy` false, a catalogue another run writes is refused without a message.
    void validateCatalogueToComplete(bool tellBusy = true);
    void forgetCatalogues();
    void completeCatalogue(const QString& path);
    void followCatalogueToComplete(const QString& before);
    // While a run works the page control is disabled, the menu bar removed
    // and the progress window shown over the main window.
    void lockForRun();
    void unlockAfterRun();
    void showScanResult(const ScanResult& result, const QString& written);
    void showToolWindow(QWidget* window);

    std::unique_ptr<Ui::TForm1> ui;
    UserDialogs& dialogs;
    std::unique_ptr<Controls> controls;
    std::array<QAbstractButton*, OptionBoxCount> boxWidgets {};
    bool settingsErrorShown = false;
    // The remembered catalogue that another run was writing at start: kept in
    // the settings until another choice replaces it.
    QString catalogueInUse;
    // Ends the analysis helpers a minute after the last run.
    QTimer* helpersIdle = nullptr;
};

} // namespace filmarch
