#include "app/ui/MainWindow.h"

#include "app/RunFrontEnd.h"
#include "app/Settings.h"
#include "app/ui/AboutWindow.h"
#include "app/ui/RecentCatalogues.h"
#include "app/ui/ResetConfirmWindow.h"
#include "app/ui/ScanProgressWindow.h"
#include "app/ui/VerifyWindow.h"
#include "core/UserDialogs.h"
#include "core/ui/DesktopNotice.h"
#include "core/ui/OnScreen.h"
#include "export/ui/ExportWindow.h"
#include "platform/Error.h"
#include "platform/IniFile.h"
#include "platform/OffThread.h"
#include "platform/ToolLocator.h"
#include "scan/CatalogueKind.h"
#include "sync/ui/SyncWindow.h"
#include "ui_MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextCursor>
#include <QThread>
#include <QTimer>
#include <QUrl>

namespace filmarch {

namespace {
// The path of a new catalogue: a name that ends with a catalogue extension
// keeps it; any other name gets the extension of the filter chosen when the
// dialog closed. Only the end counts: a folder named "amc" is no extension.
QString newCataloguePath(const QString& name, int filterIndex)
{
    if (filterIndex != 1 && filterIndex != 2)
        return {};
    if (catalogueKindOf(name))
        return name;
    return name + (filterIndex == 2 ? QStringLiteral(".amc") : QStringLiteral(".xml"));
}

// A path typed or pasted in a field: spaces around it and a pasted file URL
// taken off, "~" for the home folder.
QString typedPath(const QString& text)
{
    QString path = text.trimmed();
    if (path.startsWith(QStringLiteral("file://")))
        path = QUrl(path).toLocalFile();
    if (path == QLatin1String("~") || path.startsWith(QStringLiteral("~/")))
        path = QDir::homePath() + path.mid(1);
    return path.isEmpty() ? path : QDir::cleanPath(path);
}
} // namespace

// The window's controls as the settings file sees them.
class TForm1::Controls : public OptionControls {
public:
    explicit Controls(TForm1& form) : f(form) {}

    bool box(OptionBox b) const override { return f.boxWidget(b)->isChecked(); }
    void setBox(OptionBox b, bool checked) override { f.boxWidget(b)->setChecked(checked); }
    QString text(OptionText t) const override { return edit(t)->text(); }
    void setText(OptionText t, const QString& value) override
    {
        edit(t)->setText(value);
        // The long filter is read from its first word.
        if (t == OptionText::EFiltreTitre)
            edit(t)->setCursorPosition(0);
    }

private:
    QLineEdit* edit(OptionText t) const
    {
        switch (t) {
        case OptionText::EdCheminRepScan: return f.ui->EdCheminRepScan;
        case OptionText::EdCheminCataloExistant: return f.ui->EdCheminCataloExistant;
        case OptionText::EFiltreTitre: return f.ui->EFiltreTitre;
        case OptionText::EdRepAffiche: return f.ui->EdRepAffiche;
        }
        return f.ui->EFiltreTitre;
    }
    TForm1& f;
};

TForm1::TForm1(AppContext& context, const ToolLocator& tools, QWidget* parent)
    : QMainWindow(parent),
      app(context),
      journal(context.journal),
      FormScanEnCours(*new TFormScanEnCours(this)),
      ui(std::make_unique<Ui::TForm1>()),
      dialogs(context.dialogs),
      controls(std::make_unique<Controls>(*this))
{
    ui->setupUi(this);
    for (int i = 0; i < OptionBoxCount; ++i)
        boxWidgets[i] = findChild<QAbstractButton*>(optionBoxName(static_cast<OptionBox>(i)));
    // A choice of one among two is a pair of radio buttons, each pair its own
    // group; options.ini keeps a 1 or a 0 for each button as for a check box.
    for (const auto& [one, other] : {std::pair {OptionBox::CbNouveauCataAMC, OptionBox::CbNouveauCataXML},
             std::pair {OptionBox::CbAlloAuto, OptionBox::CbAlloManu},
             std::pair {OptionBox::CbfichiersImages, OptionBox::CbToutFichier}}) {
        auto* pair = new QButtonGroup(this);
        pair->addButton(boxWidget(one));
        pair->addButton(boxWidget(other));
    }
    ui->EdNbrFilmsCree->hide();
    ui->Label8->setContentsMargins(22, 0, 0, 0);

    connect(ui->MenuNewCatalog, &QAction::triggered, this, &TForm1::MenuNewCatalogOnClick);
    connect(ui->MenuCompleteCatalog, &QAction::triggered, this, &TForm1::MenuCompleteCatalogOnClick);
    connect(ui->MenuSynchro, &QAction::triggered, this, &TForm1::LancementSynchro);
    connect(ui->MenuAPropos, &QAction::triggered, this, &TForm1::MontreAPropos);
    auto* manual = new QAction(QStringLiteral("&Manuel"), this);
    manual->setObjectName(QStringLiteral("MenuManuel"));
    manual->setShortcut(QKeySequence(Qt::Key_F1));
    ui->MenuAide->insertAction(ui->MenuAPropos, manual);
    connect(manual, &QAction::triggered, this, &TForm1::MontreManuel);
    // Closing saves the settings, as the title bar's close does.
    connect(ui->MenuQuitter, &QAction::triggered, this, &QWidget::close);
    connect(ui->MenuExporter, &QAction::triggered, this, &TForm1::MenuExporterOnClick);
    connect(ui->MenuVerifier, &QAction::triggered, this, &TForm1::MenuVerifierOnClick);
    connect(ui->BtChoixRepScan, &QPushButton::clicked, this, &TForm1::BtChoixRepScanClick);
    connect(ui->BtCherchCataloCree, &QPushButton::clicked, this, &TForm1::BtCherchCataloCreeClick);
    connect(ui->BtCherchCataloExist, &QPushButton::clicked, this, &TForm1::BtCherchCataloExistClick);
    connect(ui->BtLanceScan, &QPushButton::clicked, this, &TForm1::BtLanceScanClick);
    connect(ui->BtRepAffiche, &QPushButton::clicked, this, &TForm1::BtRepAfficheClick);
    connect(ui->BtSaveOptions, &QPushButton::clicked, this, &TForm1::BtSaveOptionsClick);
    // A path typed or pasted is checked as the choosers check theirs.
    for (QLineEdit* field : {ui->EdCheminRepScan, ui->EdCheminCataloCree, ui->EdCheminCataloExistant, ui->EdRepAffiche})
        connect(field, &QLineEdit::editingFinished, this, [this, field] {
            if (field->isModified())
                pathTyped(field);
        });
    connect(ui->BtIniDefaut, &QPushButton::clicked, this, &TForm1::BtIniDefautClick);

    resize(sizeHint().expandedTo(QSize(780, 560)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    runFrontEnd = std::make_unique<RunFrontEnd>(this, dialogs, *this, FormScanEnCours);
    // The memo holds one empty line at start; each log line goes on a line of
    // its own after it. A run's lines come from its thread, in their order.
    journal.memo = [this](const QString& line) {
        runFrontEnd->inWindows([this, line] {
            QTextCursor end(ui->MLog->document());
            end.movePosition(QTextCursor::End);
            end.insertBlock();
            end.insertText(line);
            ui->MLog->verticalScrollBar()->setValue(ui->MLog->verticalScrollBar()->maximum());
        });
    };
    journal.reportError = [this](const QString& message) { runFrontEnd->showError(message); };

    ScanFrontEnd frontEnd;
    frontEnd.options = runFrontEnd.get();
    frontEnd.progress = runFrontEnd.get();
    frontEnd.dialogs = runFrontEnd.get();
    frontEnd.onRunStarted = [this] { runFrontEnd->inWindows([this] { lockForRun(); }); };
    frontEnd.onRunFinished = [this] { runFrontEnd->inWindows([this] { unlockAfterRun(); }); };
    scanRun = app.newScanRun(frontEnd);
    // The analysis helpers start with the first run; a minute without a run ends them.
    helpersIdle = new QTimer(this);
    helpersIdle->setObjectName(QStringLiteral("helpersIdle"));
    helpersIdle->setSingleShot(true);
    helpersIdle->setInterval(std::chrono::minutes(1));
    connect(helpersIdle, &QTimer::timeout, this, [this] { scanRun->releaseAnalysers(); });
    FormScanEnCours.setRun(scanRun.get());

    auto* recentMenu = new QMenu(QStringLiteral("Catalogues &récents"), this);
    recentMenu->setObjectName(QStringLiteral("MenuRecents"));
    // Before the separator above "Quitter".
    QAction* quitSeparator = nullptr;
    for (QAction* item : ui->MenuFichier->actions())
        if (item->isSeparator())
            quitSeparator = item;
    ui->MenuFichier->insertMenu(quitSeparator, recentMenu);
    // An entry is taken as a dropped file is: a catalogue to complete.
    recents = new RecentCatalogues(recentMenu, iniPath(), [this](const QString& path) {
        forgetCatalogues();
        completeCatalogue(path);
    });

    bindRules();
    createSynchro = [this] { return new TSynch(app.paths, dialogs, journal, this); };
    FormCreate(tools);
}

TForm1::~TForm1()
{
    // A run still working (the program is ending) is stopped and waited for;
    // what it would still ask of the windows gets a neutral answer.
    runFrontEnd->close();
    if (scanThread) {
        scanRun->requestStop();
        scanThread->wait();
    }
    delete FormAPropos;
    Form1OnDestroy();
    FormScanEnCours.setRun(nullptr);
    // The log outlives this window.
    journal.memo = nullptr;
    journal.reportError = [&dialogs = app.dialogs](const QString& message) { dialogs.showError(message); };
}

void TForm1::setManualLookup(ManualLookup* lookup)
{
    runFrontEnd->setManualLookup(lookup);
    scanRun->setManualLookup(lookup ? runFrontEnd.get() : nullptr);
}

// ---- Check-box rules ---------------------------------------------------------
// The rules live in `rules`; each widget mirrors its box there. A change of a
// widget (click or code) reaches the model through its handler; the model's
// changes come back to the widgets through syncBox.

void TForm1::bindRules()
{
    for (int i = 0; i < OptionBoxCount; ++i)
        syncBox(static_cast<OptionBox>(i));
    rules.boxChanged = [this](OptionBox box) { syncBox(box); };
    rules.showMessage = [this](const QString& message) { dialogs.showMessage(message); };

    using B = OptionBox;
    const std::pair<B, void (TForm1::*)()> handlers[] = {
        {B::CbNouveauCataAMC, &TForm1::CbNouveauCataAMCClick},
        {B::CbNouveauCataXML, &TForm1::CbNouveauCataXMLClick},
        {B::CbAffiche, &TForm1::CbAfficheClick},
        {B::CbPieceJointe, &TForm1::CbPieceJointeOnClick},
        {B::CbfichiersImages, &TForm1::CbfichiersImagesClick},
        {B::CbToutFichier, &TForm1::CbToutFichierClick},
        {B::CbAllo, &TForm1::CbAlloClick},
        {B::CbAlloAuto, &TForm1::CbAlloAutoClick},
        {B::CbAlloManu, &TForm1::CbAlloManuClick},
        {B::CbEviterDoublons, &TForm1::CbEviterDoublonsOnClick},
        {B::CbGenUrl, &TForm1::CbGenUrlOnClick},
    };
    for (int i = 0; i < OptionBoxCount; ++i) {
        const auto box = static_cast<B>(i);
        void (TForm1::*handler)() = nullptr;
        for (const auto& [b, h] : handlers)
            if (b == box)
                handler = h;
        if (handler)
            connect(boxWidget(box), &QAbstractButton::toggled, this, handler);
        else
            connect(boxWidget(box), &QAbstractButton::toggled, this, [this, box] { forwardBox(box); });
    }
    connect(ui->CbSource, &QComboBox::currentIndexChanged, this, &TForm1::updateLookupGroup);
    connect(ui->EdCleTMDb, &QLineEdit::textChanged, this, &TForm1::updateLookupGroup);
    // A key typed or pasted is a choice of TMDb.
    connect(ui->EdCleTMDb, &QLineEdit::textEdited, this, [this](const QString& key) {
        if (!key.trimmed().isEmpty())
            ui->CbSource->setCurrentIndex(1);
    });
}

void TForm1::forwardBox(OptionBox box)
{
    rules.setChecked(box, boxWidget(box)->isChecked());
}

void TForm1::syncBox(OptionBox box)
{
    QAbstractButton* widget = boxWidget(box);
    widget->setEnabled(rules.enabled(box));
    widget->setChecked(rules.checked(box));
}

void TForm1::CbNouveauCataAMCClick()
{
    forwardBox(OptionBox::CbNouveauCataAMC);
    // A new catalogue chosen with the other type must be chosen again.
    ui->EdCheminCataloCree->clear();
    ui->EdNbrFilmsCree->clear();
}

void TForm1::CbNouveauCataXMLClick()
{
    forwardBox(OptionBox::CbNouveauCataXML);
    ui->EdCheminCataloCree->clear();
    ui->EdNbrFilmsCree->clear();
}

void TForm1::CbAfficheClick()
{
    forwardBox(OptionBox::CbAffiche);
    updatePosterFolder();
}

// Posters come from Matroska attachments and from the film database: the
// folder they go to can be chosen whenever either may write one.
void TForm1::updatePosterFolder()
{
    const bool lookupOn =
        ui->CbAllo->isChecked() && ui->GbOptionAllocine->isEnabledTo(ui->GbOptionAllocine->parentWidget());
    const bool on = ui->CbAffiche->isChecked() || lookupOn;
    const std::initializer_list<QWidget*> posterControls = {
        ui->Label10, ui->Label11, ui->Label2, ui->EdRepAffiche, ui->BtRepAffiche};
    for (QWidget* w : posterControls)
        w->setEnabled(on);
}

void TForm1::CbPieceJointeOnClick()
{
    forwardBox(OptionBox::CbPieceJointe);
}
void TForm1::CbfichiersImagesClick()
{
    forwardBox(OptionBox::CbfichiersImages);
}
void TForm1::CbToutFichierClick()
{
    forwardBox(OptionBox::CbToutFichier);
}
void TForm1::CbAlloClick()
{
    forwardBox(OptionBox::CbAllo);
    updatePosterFolder();
}
void TForm1::CbAlloAutoClick()
{
    forwardBox(OptionBox::CbAlloAuto);
}
void TForm1::CbAlloManuClick()
{
    forwardBox(OptionBox::CbAlloManu);
}
void TForm1::CbEviterDoublonsOnClick()
{
    forwardBox(OptionBox::CbEviterDoublons);
}
void TForm1::CbGenUrlOnClick()
{
    forwardBox(OptionBox::CbGenUrl);
}

ScanOptions TForm1::options() const
{
    ScanOptions o = scanOptionsOf(*controls);
    o.Serveur = Serveur;
    o.Source = ui->CbSource->currentIndex() == 1 ? QStringLiteral("TMDb") : QStringLiteral("Allocine");
    o.CleTMDb = ui->EdCleTMDb->text().trimmed();
    o.LangueTMDb = storedLookup.LangueTMDb;
    o.ServeurTMDb = storedLookup.ServeurTMDb;
    return o;
}

// ---- Start and end -------------------------------------------------------------

void TForm1::FormCreate(const ToolLocator& tools)
{
    LectureIni();

    // The catalogue remembered from the last session is validated (and loaded)
    // again. One that another run is writing is not loaded, but stays remembered.
    const QString remembered = ui->EdCheminCataloExistant->text();
    if (!remembered.isEmpty()) {
        validateCatalogueToComplete(false);
        if (ui->EdCheminCataloExistant->text().isEmpty() && scanRun->catalogueInUse()) {
            catalogueInUse = remembered;
            dialogs.showMessage(QStringLiteral("Le catalogue à compléter est en cours d'utilisation par un autre "
                                               "scan : le choisir à nouveau une fois ce scan terminé.\n")
                + remembered);
        } else if (ui->EdCheminCataloExistant->text().isEmpty()) {
            dialogs.showMessage(QStringLiteral("Le catalogue à compléter n'est pas conforme"));
        }
    }

    discoverMkvToolNix(tools);

    // Files dropped on the existing-catalogue group (a disabled page takes no drop).
    ui->GbCataloExistant->setAcceptDrops(true);
    ui->GbCataloExistant->installEventFilter(this);
}

void TForm1::discoverMkvToolNix(const ToolLocator& tools)
{
    CheminMkvToolNix = tools.findMkvToolNix();
    scanRun->setMkvToolFolder(CheminMkvToolNix);
    if (!CheminMkvToolNix.isEmpty()) {
        rules.setEnabled(OptionBox::CbAffiche, true);
        rules.setEnabled(OptionBox::CbPieceJointe, true);
        return;
    }
    // Without the tools the Matroska options stay disabled and read unchecked next time.
    try {
        updateIniFile(iniPath(), [](IniFile& ini) {
            ini.setValue(QStringLiteral("Mkv"), QStringLiteral("Affiches"), QStringLiteral("0"));
            ini.setValue(QStringLiteral("Mkv"), QStringLiteral("PiecesJointe"), QStringLiteral("0"));
        });
    } catch (const Error& e) {
        if (!settingsErrorShown)
            dialogs.showError(e.message());
        settingsErrorShown = true;
    }
}

void TForm1::Form1OnDestroy()
{
    try {
        updateIniFile(iniPath(), [this](IniFile& ini) {
            ini.setValue(QStringLiteral("General"), QStringLiteral("DernierRepScan"), ui->EdCheminRepScan->text());
            const QString chosen = ui->EdCheminCataloExistant->text();
            ini.setValue(QStringLiteral("General"), QStringLiteral("CatalogueEnCours"),
                chosen.isEmpty() ? catalogueInUse : chosen);
            // The window opens next time where and as large as it was left.
            ini.setValue(
                QStringLiteral("Fenetre"), QStringLiteral("Geometrie"), QString::fromLatin1(saveGeometry().toBase64()));
        });
    } catch (const Error& e) {
        dialogs.showError(e.message());
    }
}

QString TForm1::iniPath() const
{
    return app.paths.optionsIni();
}

void TForm1::EcritureLog(const QString& FichierLog, const QString& Mes)
{
    journal.EcritureLog(FichierLog, Mes);
}

void TForm1::removeMenuBar()
{
    ui->MainMenu1->setEnabled(false);
    ui->MainMenu1->hide();
}

void TForm1::restoreMenuBar()
{
    ui->MainMenu1->show();
    ui->MainMenu1->setEnabled(true);
}

// ---- Settings -------------------------------------------------------------------

void TForm1::LectureIni()
{
    IniFile ini;
    try {
        ini = IniFile::load(iniPath());
    } catch (const Error& e) {
        dialogs.showError(e.message() + QStringLiteral("\nLes paramètres par défaut sont utilisés."));
        settingsErrorShown = true;
    }
    readOptions(ini, *controls);
    recents->load(ini);
    if (const std::optional<QString> geometry = ini.value(QStringLiteral("Fenetre"), QStringLiteral("Geometrie")))
        if (restoreGeometry(QByteArray::fromBase64(geometry->toLatin1())))
            keepOnScreen(this);

    storedLookup = ScanOptions();
    readLookupSettings(ini, storedLookup);
    Serveur = storedLookup.Serveur;
    {
        const QSignalBlocker quiet(ui->CbSource);
        ui->CbSource->setCurrentIndex(usesTmdb(storedLookup) ? 1 : 0);
    }
    {
        const QSignalBlocker quiet(ui->EdCleTMDb);
        ui->EdCleTMDb->setText(storedLookup.CleTMDb);
    }
    updateLookupGroup();
}

void TForm1::updateLookupGroup()
{
    // Without a server (Allociné) or a key (TMDb) the lookup cannot run: its options stay out of reach.
    const ScanOptions o = options();
    const bool tmdb = usesTmdb(o);
    ui->GbOptionAllocine->setEnabled(lookupConfigured(o));
    if (tmdb)
        ui->GbOptionAllocine->setTitle(
            o.CleTMDb.isEmpty() ? QStringLiteral("TMDb (clé à renseigner)") : QStringLiteral("TMDb"));
    else
        ui->GbOptionAllocine->setTitle(Serveur.isEmpty() ? QStringLiteral("Allocine (désactive problème nouvelle API)")
                                                         : QStringLiteral("Allocine"));
    ui->CbAllo->setText(
        tmdb ? QStringLiteral("Activer la recherche sur TMDb") : QStringLiteral("Activer la recherche sur Allocine"));
    updatePosterFolder();
}

void TForm1::BtSaveOptionsClick()
{
    try {
        updateIniFile(iniPath(), [this](IniFile& ini) {
            writeOptions(ini, *controls);
            const ScanOptions o = options();
            ini.setValue(QStringLiteral("Allocine"), QStringLiteral("Source"), o.Source);
            ini.setValue(QStringLiteral("TMDb"), QStringLiteral("Cle"), o.CleTMDb);
        });
        statusBar()->showMessage(QStringLiteral("Paramètres enregistrés dans ") + iniPath(), 10000);
    } catch (const Error& e) {
        dialogs.showError(e.message());
    }
}

void TForm1::BtIniDefautClick()
{
    // Modal and owned by this window: it stays above it and this window takes
    // no input until it is answered.
    TForm4 confirmation(this);
    Form4 = &confirmation;
    const bool confirmed = confirmation.askOverOwner();
    Form4 = nullptr;

    if (confirmed) {
        const QString path = iniPath();
        QFile::remove(path);
        if (QFileInfo::exists(path)) {
            dialogs.showMessage(QStringLiteral("Impossible d'initialiser, redémarrer l'aplication"));
            EcritureLog(Journal::logFilePath(app.paths), QStringLiteral("Echec de l'initialisation des paramètres"));
        } else if (!Serveur.isEmpty() || !storedLookup.CleTMDb.isEmpty()) {
            // How the services are reached belongs to the installation (the
            // server) or to the user's account (the key), not to the settings.
            try {
                updateIniFile(path, [this](IniFile& ini) {
                    if (!Serveur.isEmpty())
                        ini.setValue(QStringLiteral("Allocine"), QStringLiteral("Serveur"), Serveur);
                    if (!storedLookup.CleTMDb.isEmpty())
                        ini.setValue(QStringLiteral("TMDb"), QStringLiteral("Cle"), storedLookup.CleTMDb);
                });
            } catch (const Error& e) {
                dialogs.showError(e.message());
            }
        }
        // The file comes back at the next save, at exit or at the next start.
        const QString catalogue = ui->EdCheminCataloExistant->text();
        LectureIni();
        followCatalogueToComplete(catalogue);
    }
}

// ---- Choosers -------------------------------------------------------------------

void TForm1::BtChoixRepScanClick()
{
    ui->EdCheminRepScan->clear();
    ui->EdCheminRepScan->setText(dialogs.chooseFolder(QStringLiteral("Sélection du répertoire du scan")));
}

void TForm1::pathTyped(QLineEdit* field)
{
    const QString path = typedPath(field->text());
    field->setModified(false);
    if (field == ui->EdCheminCataloExistant) {
        forgetCatalogues();
        completeCatalogue(path);
        return;
    }
    if (field == ui->EdCheminCataloCree) {
        forgetCatalogues();
        if (path.isEmpty())
            return;
        if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
            dialogs.showMessage(QStringLiteral("Le dossier du catalogue à créer n'existe pas : ") + path);
            return;
        }
        ui->EdNbrFilmsCree->setText(QStringLiteral("0"));
        ui->EdCheminCataloCree->setText(newCataloguePath(path, ui->CbNouveauCataAMC->isChecked() ? 2 : 1));
        return;
    }
    if (field == ui->EdRepAffiche && path.isEmpty()) {
        field->setText(defaultRepAffiche());
        return;
    }
    // The scan folder must be there; a poster folder is made when a poster is written.
    const bool folder = field == ui->EdCheminRepScan ? QFileInfo(path).isDir() : QDir::isAbsolutePath(path);
    if (!path.isEmpty() && !folder) {
        dialogs.showMessage(field == ui->EdCheminRepScan
                ? QStringLiteral("Le répertoire à scanner n'existe pas : ") + path
                : QStringLiteral("Le répertoire des affiches doit être un chemin complet : ") + path);
        field->clear();
        return;
    }
    field->setText(path);
}

void TForm1::BtRepAfficheClick()
{
    ui->EdRepAffiche->clear();
    const QString folder = dialogs.chooseFolder(QStringLiteral("Sélection du répertoire pour les affiches"));
    ui->EdRepAffiche->setText(folder);
    // Cancelled: every option goes back to what the file holds.
    if (folder.isEmpty()) {
        const QString catalogue = ui->EdCheminCataloExistant->text();
        LectureIni();
        followCatalogueToComplete(catalogue);
    }
}

void TForm1::validateCatalogueToComplete(bool tellBusy)
{
    const int entries = scanRun->validitecatalogue(ui->EdCheminCataloExistant->text(), tellBusy);
    if (entries < 0)
        ui->EdCheminCataloExistant->clear();
    else
        ui->EdNbrFilmsExist->setText(QString::number(entries));
}

// Before another catalogue is chosen, the one held in memory and both choices go.
void TForm1::forgetCatalogues()
{
    catalogueInUse.clear();
    scanRun->releaseCatalogue();
    ui->EdCheminCataloExistant->clear();
    ui->EdNbrFilmsExist->clear();
    ui->EdCheminCataloCree->clear();
    ui->EdNbrFilmsCree->clear();
}

// `path` becomes the catalogue to complete when it validates (a refused or
// empty one leaves nothing to complete).
void TForm1::completeCatalogue(const QString& path)
{
    ui->EdCheminCataloExistant->setText(path);
    validateCatalogueToComplete();
    if (!ui->EdCheminCataloExistant->text().isEmpty())
        recents->add(ui->EdCheminCataloExistant->text());
}

// The settings read again may name another catalogue to complete (none after
// a reset): its count, and the catalogue held, follow the path shown.
void TForm1::followCatalogueToComplete(const QString& before)
{
    const QString now = ui->EdCheminCataloExistant->text();
    if (now == before)
        return;
    ui->EdNbrFilmsExist->clear();
    if (scanRun->CatalogueActif == before) {
        scanRun->releaseCatalogue();
        scanRun->CatalogueActif.clear();
        if (!now.isEmpty())
            completeCatalogue(now);
    }
}

void TForm1::BtCherchCataloExistClick()
{
    forgetCatalogues();
    // A cancelled dialog gives an empty name, which the validation refuses quietly.
    completeCatalogue(dialogs.openCatalogue(3).fileName);
}

void TForm1::BtCherchCataloCreeClick()
{
    forgetCatalogues();
    ui->EdNbrFilmsCree->setText(QStringLiteral("0"));

    const CatalogueChoice choice = dialogs.saveCatalogue(ui->CbNouveauCataAMC->isChecked() ? 2 : 1);
    if (!choice.fileName.isEmpty())
        ui->EdCheminCataloCree->setText(newCataloguePath(choice.fileName, choice.filterIndex));
    // The file itself is created by the run.
}

void TForm1::BtLanceScanClick()
{
    if (scanThread)
        return;
    const QString written =
        ui->EdCheminCataloCree->text().isEmpty() ? ui->EdCheminCataloExistant->text() : ui->EdCheminCataloCree->text();
    const ScanRequest request {
        ui->EdCheminRepScan->text(), ui->EdCheminCataloCree->text(), ui->EdCheminCataloExistant->text()};
    // Nothing the run reads may change under it: the page and the menu wait
    // for its end, the progress window comes once it has started.
    ui->PCprincipal->setEnabled(false);
    removeMenuBar();
    helpersIdle->stop();
    auto result = std::make_shared<ScanResult>();
    scanThread = startOffThread(
        this, [this, request, result] { *result = scanRun->BtLanceScanClick(request); },
        [this, written, result](std::exception_ptr failure) {
            scanThread = nullptr;
            ui->PCprincipal->setEnabled(true);
            restoreMenuBar();
            if (!helpersIdle->isActive() && scanRun->holdsAnalysers())
                helpersIdle->start();
            if (failure)
                dialogs.showError(QStringLiteral("Le scan s'est arrêté sur une erreur inattendue."));
            showScanResult(*result, written);
        });
}

// The Scan page after a run: what it found of the catalogue, and a new one made once.
void TForm1::showScanResult(const ScanResult& result, const QString& written)
{
    if (result.catalogueRefused) {
        ui->EdCheminCataloExistant->clear();
        ui->EdNbrFilmsExist->clear();
    }
    if (result.entriesAtStart >= 0)
        ui->EdNbrFilmsExist->setText(QString::number(result.entriesAtStart));
    if (result.ran && QFileInfo::exists(written))
        recents->add(written);
    if (result.ran) {
        ui->EdCheminCataloCree->clear();
        ui->EdNbrFilmsCree->clear();
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!isEnabled() || !ui->PCprincipal->isEnabled() || Form4 || FormAPropos) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TForm1::lockForRun()
{
    runNotice.emplace();
    helpersIdle->stop();
    FormScanEnCours.setFileName(QString());
    FormScanEnCours.move(pos());
    FormScanEnCours.show();
    ui->PCprincipal->setEnabled(false);
    removeMenuBar();
}

void TForm1::unlockAfterRun()
{
    FormScanEnCours.hideAfterRun();
    ui->PCprincipal->setEnabled(true);
    restoreMenuBar();
    ui->PCprincipal->setCurrentWidget(ui->TSLogs);
    helpersIdle->start();
    if (runNotice)
        runNotice->finished(QStringLiteral("Scan terminé"), ui->EdCheminRepScan->text());
    runNotice.reset();
}

// ---- Drop -----------------------------------------------------------------------

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->GbCataloExistant) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasUrls())
                drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->mimeData()->hasUrls()) {
                drop->acceptProposedAction();
                TraiteMessage(drop->mimeData()->urls());
            }
            return true;
        }
        default: break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::TraiteMessage(const QList<QUrl>& urls)
{
    if (urls.size() != 1) {
        dialogs.showMessage(QStringLiteral("Un seul fichier catalogue est accepté"));
        return;
    }
    // The whole path is kept, however long.
    const QString path = urls.constFirst().isLocalFile() ? urls.constFirst().toLocalFile() : QString();
    const QString name = QFileInfo(path).fileName();
    if (!catalogueKindOf(name)) {
        dialogs.showMessage(QStringLiteral("Fichier non compatible"));
        return;
    }
    // A dropped file is always a catalogue to complete.
    forgetCatalogues();
    completeCatalogue(path);
}

// ---- Menu -----------------------------------------------------------------------

void TForm1::MenuNewCatalogOnClick()
{
    BtChoixRepScanClick();
    BtCherchCataloCreeClick();
}

void TForm1::MenuCompleteCatalogOnClick()
{
    BtChoixRepScanClick();
    BtCherchCataloExistClick();
}

void TForm1::showToolWindow(QWidget* window)
{
    // The tool window has no parent: a disabled main window would disable it too.
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QObject::destroyed, this, [this] { setEnabled(true); });
    setEnabled(false);
    window->show();
}

void TForm1::LancementSynchro()
{
    if (!createSynchro)
        return;
    if (QWidget* window = createSynchro())
        showToolWindow(window);
}

void TForm1::MenuExporterOnClick()
{
    // The catalogue being completed is proposed; the export only reads it.
    ExportWindow window(ui->EdCheminCataloExistant->text(), this);
    window.exec();
}

void TForm1::MenuVerifierOnClick()
{
    const QString logFile = Journal::logFilePath(app.paths);
    VerifyWindow window(
        ui->EdCheminCataloExistant->text(), mediaProbe(app.AccesFonctionsMedia),
        [this, logFile](const QString& line) { EcritureLog(logFile, line); }, this);
    window.exec();
    // The catalogue being completed shows its entries as they are now.
    if (window.changed() && !ui->EdCheminCataloExistant->text().isEmpty()
        && QFileInfo(ui->EdCheminCataloExistant->text()).absoluteFilePath()
            == QFileInfo(window.catalogue()).absoluteFilePath())
        validateCatalogueToComplete();
}

// The manual pages as HTML, shipped with the program, in the user's browser.
void TForm1::MontreManuel()
{
    const QString page = app.paths.shippedFile(QStringLiteral("manuel/filmarch.html"));
    if (!QFileInfo::exists(page))
        dialogs.showError(QStringLiteral("Le manuel est introuvable : ") + page);
    else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page)))
        dialogs.showError(QStringLiteral("Aucun programme n'a pu ouvrir le manuel : ") + page);
}

void TForm1::MontreAPropos()
{
    // Modal over this window, which takes no input until it closes.
    FormAPropos = new TFormAPropos(this);
    FormAPropos->setAttribute(Qt::WA_DeleteOnClose);
    FormAPropos->setWindowModality(Qt::WindowModal);
    connect(FormAPropos, &QDialog::finished, FormAPropos, &QObject::deleteLater);
    FormAPropos->show();
}

} // namespace filmarch
