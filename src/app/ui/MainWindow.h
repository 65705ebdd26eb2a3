#pragma once
// The main window: the Scan page (folder and catalogue to work on), the
// Options page (the settings of options.ini) and the Log page. It owns the
// log, the scan run and the option rules; other windows and the run reach the
// controls, the options and EcritureLog through it.
#include "core/Journal.h"
#include "app/OptionRules.h"
#include "core/Options.h"
#include "scan/ScanRun.h"
#include "media/MediaInfoDll.h"
#include "platform/HttpClient.h"

#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace filmarch {

class OptionControls;
class TForm4;
class TFormAPropos;
class TFormScanEnCours;
class ToolLocator;
class UserDialogs;

class TForm1 : public QMainWindow, public OptionSource {
    Q_OBJECT
public:
    // Builds the window and runs FormCreate: settings, remembered catalogue,
    // MKVToolNix discovery, drop target.
    TForm1(const QString& appDir, UserDialogs& dialogs, TFormScanEnCours& FormScanEnCours,
           const ToolLocator& tools, QWidget* parent = nullptr);
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
    const QString& applicationDir() const { return appDir; }
    UserDialogs& userDialogs() { return dialogs; }

    // Creates the synchronisation window (set by that tool); the main window
    // stays disabled until the window it returns is destroyed.
    std::function<QWidget*()> createSynchro;

    // Folder of mkvmerge and mkvextract, ending with '/'; empty when not found.
    QString CheminMkvToolNix;
    // The film-database host read from options.ini; empty when none is set.
    QString Serveur;

    Journal journal;
    OptionRules rules;
    // The one MediaInfo object of the program (loading it loads the library).
    std::unique_ptr<MesFonctionMediaInfo> AccesFonctionsMedia;
    // The HTTP client the catalogue writers download posters with.
    HttpClient IdHTTP1;
    std::unique_ptr<ScanRun> scanRun;
    TFormScanEnCours& FormScanEnCours;
    TForm4* Form4 = nullptr;                // while a reset waits for its answer
    QPointer<TFormAPropos> FormAPropos;     // while the About window is open

    QMenuBar* MainMenu1 = nullptr;
    QMenu* MenuFichier = nullptr;
    QMenu* MenuAide = nullptr;
    QAction* MenuNewCatalog = nullptr;
    QAction* MenuCompleteCatalog = nullptr;
    QAction* MenuSynchro = nullptr;
    QAction* MenuAPropos = nullptr;

    QTabWidget* PCprincipal = nullptr;
    QWidget* TSScan = nullptr;
    QWidget* TSOptions = nullptr;
    QWidget* TSLogs = nullptr;

    // Scan page
    QGroupBox* GbRepertoireScan = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* EdCheminRepScan = nullptr;
    QPushButton* BtChoixRepScan = nullptr;
    QGroupBox* GbNouveauCatalogue = nullptr;
    QCheckBox* CbNouveauCataAMC = nullptr;
    QCheckBox* CbNouveauCataXML = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* EdCheminCataloCree = nullptr;
    QPushButton* BtCherchCataloCree = nullptr;
    QLineEdit* EdNbrFilmsCree = nullptr;
    QGroupBox* GbCataloExistant = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdCheminCataloExistant = nullptr;
    QPushButton* BtCherchCataloExist = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EdNbrFilmsExist = nullptr;
    QPushButton* BtLanceScan = nullptr;

    // Options page
    QGroupBox* GbOptionGene = nullptr;
    QCheckBox* CbExploreSousRep = nullptr;
    QCheckBox* CbEviterDoublons = nullptr;
    QLabel* Label8 = nullptr;   // "(Ce base sur les url ...)"
    QLabel* Label4 = nullptr;   // "Choisir les informations à récupérer lors du scan"
    QCheckBox* CbGenTitre = nullptr;
    QCheckBox* CbGenDuree = nullptr;
    QCheckBox* CbGenUrl = nullptr;
    QCheckBox* CbGenVideo = nullptr;
    QCheckBox* CbGenAudio = nullptr;
    QCheckBox* CbGenSousTitre = nullptr;
    QCheckBox* CbGenTaille = nullptr;
    QLabel* Label7 = nullptr;   // "Filtre"
    QLineEdit* EFiltreTitre = nullptr;
    QGroupBox* GbOptionsMkv = nullptr;
    QCheckBox* CbAffiche = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* EdRepAffiche = nullptr;
    QPushButton* BtRepAffiche = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label2 = nullptr;
    QCheckBox* CbPieceJointe = nullptr;
    QCheckBox* CbfichiersImages = nullptr;
    QCheckBox* CbToutFichier = nullptr;
    QGroupBox* GbOptionAllocine = nullptr;
    QCheckBox* CbAllo = nullptr;
    QLabel* Label9 = nullptr;   // "Mode de récupération des infos"
    QCheckBox* CbAlloAuto = nullptr;
    QCheckBox* CbAlloManu = nullptr;
    QPushButton* BtSaveOptions = nullptr;
    QPushButton* BtIniDefaut = nullptr;

    // Log page
    QPlainTextEdit* MLog = nullptr;

    QCheckBox* boxWidget(OptionBox box) const { return boxWidgets[static_cast<int>(box)]; }

public slots:
    void BtChoixRepScanClick();
    void BtCherchCataloExistClick();
    void BtCherchCataloCreeClick();
    void BtRepAfficheClick();
    void BtLanceScanClick();
    void BtSaveOptionsClick();
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
    void MontreAPropos();

    // A catalogue file dropped on GbCataloExistant.
    void TraiteMessage(const QList<QUrl>& urls);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Refused while a run works or another window waits for an answer.
    void closeEvent(QCloseEvent* event) override;

private:
    class Controls;

    void buildMenu();
    QWidget* buildScanPage();
    QWidget* buildOptionsPage();
    QWidget* buildLogPage();
    QCheckBox* makeBox(OptionBox box, const QString& caption, QWidget* parent);
    void bindRules();
    void forwardBox(OptionBox box);
    void syncBox(OptionBox box);

    void FormCreate(const ToolLocator& tools);
    void Form1OnDestroy();
    void discoverMkvToolNix(const ToolLocator& tools);
    void validateCatalogueToComplete();
    void forgetCatalogues();
    void completeCatalogue(const QString& path);
    // While a run works the page control is disabled, the menu bar removed
    // and the progress window shown over the main window.
    void lockForRun();
    void unlockAfterRun();
    void showToolWindow(QWidget* window);

    QString appDir;
    UserDialogs& dialogs;
    std::unique_ptr<Controls> controls;
    std::array<QCheckBox*, OptionBoxCount> boxWidgets{};
    bool settingsErrorShown = false;
};

} // namespace filmarch
