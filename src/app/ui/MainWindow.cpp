#include "app/ui/MainWindow.h"

#include "app/Settings.h"
#include "core/UserDialogs.h"
#include "app/ui/AboutWindow.h"
#include "app/ui/ResetConfirmWindow.h"
#include "app/ui/ScanProgressWindow.h"
#include "platform/Error.h"
#include "platform/IniFile.h"
#include "platform/ToolLocator.h"
#include "sync/ui/SyncWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace filmarch {

namespace {
template <typename W>
W* named(W* widget, const char16_t* name)
{
    widget->setObjectName(QString::fromUtf16(name));
    return widget;
}

QLineEdit* readOnlyEdit(const char16_t* name, QWidget* parent)
{
    auto* edit = named(new QLineEdit(parent), name);
    edit->setReadOnly(true);
    return edit;
}

QPushButton* browseButton(const char16_t* name, QWidget* parent)
{
    auto* button = named(new QPushButton(QStringLiteral("..."), parent), name);
    button->setToolTip(QStringLiteral("Parcourir"));
    button->setFixedWidth(32);
    return button;
}

// The path of a new catalogue: a name that ends with a catalogue extension
// keeps it; any other name gets the extension of the filter chosen when the
// dialog closed. Only the end counts: a folder named "amc" is no extension.
QString newCataloguePath(const QString& name, int filterIndex)
{
    if (filterIndex != 1 && filterIndex != 2)
        return {};
    if (name.endsWith(QStringLiteral(".amc")) || name.endsWith(QStringLiteral(".xml")))
        return name;
    return name + (filterIndex == 2 ? QStringLiteral(".amc") : QStringLiteral(".xml"));
}
} // namespace

// The window's controls as the settings file sees them.
class TForm1::Controls : public OptionControls {
public:
    explicit Controls(TForm1& form) : f(form) {}

    bool box(OptionBox b) const override { return f.boxWidget(b)->isChecked(); }
    bool boxEnabled(OptionBox b) const override
    {
        // The box's own state: the Allocine group is disabled as a whole.
        QCheckBox* w = f.boxWidget(b);
        return w->isEnabledTo(w->parentWidget());
    }
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
        case OptionText::EdCheminRepScan: return f.EdCheminRepScan;
        case OptionText::EdCheminCataloExistant: return f.EdCheminCataloExistant;
        case OptionText::EFiltreTitre: return f.EFiltreTitre;
        case OptionText::EdRepAffiche: return f.EdRepAffiche;
        }
        return f.EFiltreTitre;
    }
    TForm1& f;
};

TForm1::TForm1(const QString& applicationDir, UserDialogs& userDialogs, TFormScanEnCours& progressWindow,
               const ToolLocator& tools, QWidget* parent)
    : QMainWindow(parent), FormScanEnCours(progressWindow), appDir(applicationDir), dialogs(userDialogs),
      controls(std::make_unique<Controls>(*this))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Filmarch"));

    buildMenu();
    PCprincipal = named(new QTabWidget(this), u"PCprincipal");
    PCprincipal->addTab(buildScanPage(), QStringLiteral("Scan"));
    PCprincipal->addTab(buildOptionsPage(), QStringLiteral("Options"));
    PCprincipal->addTab(buildLogPage(), QStringLiteral("Log"));
    PCprincipal->setCurrentWidget(TSScan);
    setCentralWidget(PCprincipal);

    resize(sizeHint().expandedTo(QSize(780, 560)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // The memo holds one empty line at start; each log line goes on a line of its own after it.
    journal.memo = [this](const QString& line) {
        QTextCursor end(MLog->document());
        end.movePosition(QTextCursor::End);
        end.insertBlock();
        end.insertText(line);
        MLog->verticalScrollBar()->setValue(MLog->verticalScrollBar()->maximum());
    };
    journal.reportError = [this](const QString& message) { dialogs.showError(message); };

    // First step of the window's creation: the shared MediaInfo object, which
    // loads the library (it throws when the library cannot be loaded).
    AccesFonctionsMedia = std::make_unique<MesFonctionMediaInfo>(appDir);

    ScanContext context;
    context.appDir = appDir;
    context.options = this;
    context.dialogs = &dialogs;
    context.journal = &journal;
    context.progress = &FormScanEnCours;
    context.media = AccesFonctionsMedia.get();
    context.http = &IdHTTP1;
    context.onRunStarted = [this] { lockForRun(); };
    context.onRunFinished = [this] { unlockAfterRun(); };
    scanRun = std::make_unique<ScanRun>(context);
    FormScanEnCours.setRun(scanRun.get());
    // Owned by this window so that it stays above it; whoever made it still
    // deletes it (see the destructor).
    FormScanEnCours.setParent(this, FormScanEnCours.windowFlags());

    bindRules();
    createSynchro = [this] { return new TSynch(appDir, dialogs, journal, this); };
    FormCreate(tools);
}

TForm1::~TForm1()
{
    delete FormAPropos;
    Form1OnDestroy();
    FormScanEnCours.setRun(nullptr);
    FormScanEnCours.setParent(nullptr, FormScanEnCours.windowFlags());
}

void TForm1::buildMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MenuFichier = named(MainMenu1->addMenu(QStringLiteral("Fichier")), u"MenuFichier");
    MenuNewCatalog = MenuFichier->addAction(QStringLiteral("Créer un nouveau catalogue"));
    MenuCompleteCatalog = MenuFichier->addAction(QStringLiteral("Complèter un catalogue existant"));
    MenuSynchro = MenuFichier->addAction(QStringLiteral("Synchronisation de répertoires"));
    MenuAide = named(MainMenu1->addMenu(QStringLiteral("Aide")), u"MenuAide");
    MenuAPropos = MenuAide->addAction(QStringLiteral("A propos"));
    MenuNewCatalog->setObjectName(QStringLiteral("MenuNewCatalog"));
    MenuCompleteCatalog->setObjectName(QStringLiteral("MenuCompleteCatalog"));
    MenuSynchro->setObjectName(QStringLiteral("MenuSynchro"));
    MenuAPropos->setObjectName(QStringLiteral("MenuAPropos"));
    connect(MenuNewCatalog, &QAction::triggered, this, &TForm1::MenuNewCatalogOnClick);
    connect(MenuCompleteCatalog, &QAction::triggered, this, &TForm1::MenuCompleteCatalogOnClick);
    connect(MenuSynchro, &QAction::triggered, this, &TForm1::LancementSynchro);
    connect(MenuAPropos, &QAction::triggered, this, &TForm1::MontreAPropos);
}

QCheckBox* TForm1::makeBox(OptionBox box, const QString& caption, QWidget* parent)
{
    auto* widget = new QCheckBox(caption, parent);
    widget->setObjectName(optionBoxName(box));
    boxWidgets[static_cast<int>(box)] = widget;
    return widget;
}

QWidget* TForm1::buildScanPage()
{
    TSScan = named(new QWidget, u"TSScan");
    using B = OptionBox;

    GbRepertoireScan = named(new QGroupBox(QStringLiteral("Répertoire"), TSScan), u"GbRepertoireScan");
    Label6 = named(new QLabel(QStringLiteral("Répertoire à scanner"), GbRepertoireScan), u"Label6");
    EdCheminRepScan = readOnlyEdit(u"EdCheminRepScan", GbRepertoireScan);
    BtChoixRepScan = browseButton(u"BtChoixRepScan", GbRepertoireScan);
    auto* folderRow = new QHBoxLayout(GbRepertoireScan);
    folderRow->addWidget(Label6);
    folderRow->addWidget(EdCheminRepScan, 1);
    folderRow->addWidget(BtChoixRepScan);

    GbNouveauCatalogue = named(new QGroupBox(QStringLiteral("Créer un nouveau Catalogue"), TSScan), u"GbNouveauCatalogue");
    CbNouveauCataAMC = makeBox(B::CbNouveauCataAMC, QStringLiteral("De type AMC"), GbNouveauCatalogue);
    CbNouveauCataXML = makeBox(B::CbNouveauCataXML, QStringLiteral("De type XML"), GbNouveauCatalogue);
    Label5 = named(new QLabel(QStringLiteral("Chemin du catalogue à créer :"), GbNouveauCatalogue), u"Label5");
    EdCheminCataloCree = readOnlyEdit(u"EdCheminCataloCree", GbNouveauCatalogue);
    BtCherchCataloCree = browseButton(u"BtCherchCataloCree", GbNouveauCatalogue);
    EdNbrFilmsCree = readOnlyEdit(u"EdNbrFilmsCree", GbNouveauCatalogue);
    EdNbrFilmsCree->hide();
    auto* newGrid = new QGridLayout(GbNouveauCatalogue);
    auto* typeRow = new QHBoxLayout;
    typeRow->addWidget(CbNouveauCataAMC);
    typeRow->addSpacing(24);
    typeRow->addWidget(CbNouveauCataXML);
    typeRow->addStretch();
    newGrid->addLayout(typeRow, 0, 0, 1, 3);
    newGrid->addWidget(Label5, 1, 0);
    newGrid->addWidget(EdCheminCataloCree, 1, 1);
    newGrid->addWidget(BtCherchCataloCree, 1, 2);
    newGrid->setColumnStretch(1, 1);

    GbCataloExistant = named(new QGroupBox(QStringLiteral("Compléter un catalogue existant"), TSScan), u"GbCataloExistant");
    Label1 = named(new QLabel(QStringLiteral("Chemin du catalogue existant : "), GbCataloExistant), u"Label1");
    EdCheminCataloExistant = readOnlyEdit(u"EdCheminCataloExistant", GbCataloExistant);
    BtCherchCataloExist = browseButton(u"BtCherchCataloExist", GbCataloExistant);
    Label3 = named(new QLabel(QStringLiteral("Nombres de films dans le catalogue"), GbCataloExistant), u"Label3");
    EdNbrFilmsExist = readOnlyEdit(u"EdNbrFilmsExist", GbCataloExistant);
    EdNbrFilmsExist->setFixedWidth(80);
    auto* existGrid = new QGridLayout(GbCataloExistant);
    existGrid->addWidget(Label1, 0, 0);
    existGrid->addWidget(EdCheminCataloExistant, 0, 1);
    existGrid->addWidget(BtCherchCataloExist, 0, 2);
    existGrid->addWidget(Label3, 1, 0);
    existGrid->addWidget(EdNbrFilmsExist, 1, 1, Qt::AlignLeft);
    existGrid->setColumnStretch(1, 1);

    BtLanceScan = named(new QPushButton(QStringLiteral("Lancer le scan"), TSScan), u"BtLanceScan");
    BtLanceScan->setMinimumSize(160, 36);

    auto* page = new QVBoxLayout(TSScan);
    page->addWidget(GbRepertoireScan);
    page->addWidget(GbNouveauCatalogue);
    page->addWidget(GbCataloExistant);
    page->addStretch();
    page->addWidget(BtLanceScan, 0, Qt::AlignHCenter);
    page->addStretch();

    connect(BtChoixRepScan, &QPushButton::clicked, this, &TForm1::BtChoixRepScanClick);
    connect(BtCherchCataloCree, &QPushButton::clicked, this, &TForm1::BtCherchCataloCreeClick);
    connect(BtCherchCataloExist, &QPushButton::clicked, this, &TForm1::BtCherchCataloExistClick);
    connect(BtLanceScan, &QPushButton::clicked, this, &TForm1::BtLanceScanClick);
    return TSScan;
}

QWidget* TForm1::buildOptionsPage()
{
    TSOptions = named(new QWidget, u"TSOptions");
    using B = OptionBox;

    GbOptionGene = named(new QGroupBox(QStringLiteral("Général"), TSOptions), u"GbOptionGene");
    CbExploreSousRep = makeBox(B::CbExploreSousRep, QStringLiteral("Explorer les sous repertoires lors du scan"), GbOptionGene);
    CbEviterDoublons = makeBox(B::CbEviterDoublons, QStringLiteral("Analyser les nouvelles entrées pour éviter les doublons"), GbOptionGene);
    Label8 = named(new QLabel(QStringLiteral("(Ce base sur les url des fichiers pour la comparaison)"), GbOptionGene), u"Label8");
    Label4 = named(new QLabel(QStringLiteral("Choisir les informations à récupérer lors du scan"), GbOptionGene), u"Label4");
    CbGenTitre = makeBox(B::CbGenTitre, QStringLiteral("Titre"), GbOptionGene);
    CbGenDuree = makeBox(B::CbGenDuree, QStringLiteral("Durée"), GbOptionGene);
    CbGenUrl = makeBox(B::CbGenUrl, QStringLiteral("Emplacement du fichier sur le disque (url)"), GbOptionGene);
    CbGenVideo = makeBox(B::CbGenVideo, QStringLiteral("Informations vidéo (Codec, resolution, bitrate, framerate)"), GbOptionGene);
    CbGenAudio = makeBox(B::CbGenAudio, QStringLiteral("Informations audio (codec,  bitrate, nombre de pistes, langues)"), GbOptionGene);
    CbGenSousTitre = makeBox(B::CbGenSousTitre, QStringLiteral("Sous titres"), GbOptionGene);
    CbGenTaille = makeBox(B::CbGenTaille, QStringLiteral("Taille"), GbOptionGene);
    auto* general = new QVBoxLayout(GbOptionGene);
    general->addWidget(CbExploreSousRep);
    general->addWidget(CbEviterDoublons);
    Label8->setContentsMargins(22, 0, 0, 0);
    general->addWidget(Label8);
    general->addSpacing(8);
    general->addWidget(Label4);
    for (QCheckBox* box : {CbGenTitre, CbGenDuree, CbGenUrl, CbGenVideo, CbGenAudio, CbGenSousTitre, CbGenTaille}) {
        box->setContentsMargins(0, 0, 0, 0);
        general->addWidget(box);
    }
    general->addStretch();

    GbOptionsMkv = named(new QGroupBox(QStringLiteral("Fichiers mkv"), TSOptions), u"GbOptionsMkv");
    GbOptionsMkv->setToolTip(QStringLiteral("MKVtoolnix doit être installé pour avoir acces à ces options"));
    CbAffiche = makeBox(B::CbAffiche, QStringLiteral("Récupérer l'affiche d'un mkv"), GbOptionsMkv);
    Label10 = named(new QLabel(QStringLiteral("Repertoire pour les affiches : "), GbOptionsMkv), u"Label10");
    EdRepAffiche = readOnlyEdit(u"EdRepAffiche", GbOptionsMkv);
    BtRepAffiche = browseButton(u"BtRepAffiche", GbOptionsMkv);
    Label11 = named(new QLabel(QStringLiteral("Pour les fichiers xml dans dans le repertoire :"), GbOptionsMkv), u"Label11");
    Label2 = named(new QLabel(QStringLiteral("Pour les fichiers AMC, à l'intérieur du fichier"), GbOptionsMkv), u"Label2");
    CbPieceJointe = makeBox(B::CbPieceJointe, QStringLiteral("Liste les pièces jointes d'un mkv dans le champ comment"), GbOptionsMkv);
    CbfichiersImages = makeBox(B::CbfichiersImages, QStringLiteral("Seulement les images"), GbOptionsMkv);
    CbToutFichier = makeBox(B::CbToutFichier, QStringLiteral("Tous les fichiers"), GbOptionsMkv);
    auto* mkv = new QGridLayout(GbOptionsMkv);
    mkv->addWidget(CbAffiche, 0, 0, 1, 3);
    mkv->addWidget(Label11, 1, 0, 1, 3);
    mkv->addWidget(Label10, 2, 0);
    mkv->addWidget(EdRepAffiche, 2, 1);
    mkv->addWidget(BtRepAffiche, 2, 2);
    mkv->addWidget(Label2, 3, 0, 1, 3);
    mkv->addWidget(CbPieceJointe, 4, 0, 1, 3);
    auto* attachments = new QHBoxLayout;
    attachments->addSpacing(22);
    attachments->addWidget(CbfichiersImages);
    attachments->addSpacing(16);
    attachments->addWidget(CbToutFichier);
    attachments->addStretch();
    mkv->addLayout(attachments, 5, 0, 1, 3);
    mkv->setColumnStretch(1, 1);
    for (QWidget* w : {static_cast<QWidget*>(Label10), static_cast<QWidget*>(Label11), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(EdRepAffiche), static_cast<QWidget*>(BtRepAffiche)})
        w->setEnabled(false);

    GbOptionAllocine = named(new QGroupBox(QStringLiteral("Allocine (désactive problème nouvelle API)"), TSOptions),
                             u"GbOptionAllocine");
    CbAllo = makeBox(B::CbAllo, QStringLiteral("Activer la recherche sur Allocine"), GbOptionAllocine);
    Label9 = named(new QLabel(QStringLiteral("Mode de récupération des infos"), GbOptionAllocine), u"Label9");
    CbAlloAuto = makeBox(B::CbAlloAuto, QStringLiteral("Automatique"), GbOptionAllocine);
    CbAlloManu = makeBox(B::CbAlloManu, QStringLiteral("Manuel"), GbOptionAllocine);
    auto* allocine = new QGridLayout(GbOptionAllocine);
    allocine->addWidget(CbAllo, 0, 0, 1, 3);
    allocine->addWidget(Label9, 1, 0);
    allocine->addWidget(CbAlloAuto, 1, 1);
    allocine->addWidget(CbAlloManu, 1, 2);
    allocine->setColumnStretch(3, 1);
    // The service's new interface is not supported: its options stay out of reach.
    GbOptionAllocine->setEnabled(false);

    Label7 = named(new QLabel(QStringLiteral("Filtre"), TSOptions), u"Label7");
    EFiltreTitre = named(new QLineEdit(TSOptions), u"EFiltreTitre");
    EFiltreTitre->setToolTip(QStringLiteral("Elimine du titre les suite de caractères suivantes. Vous pouvez ajouter "
                                            "de nouvelles chaînes en les séparant par des virgules"));
    Label7->setToolTip(EFiltreTitre->toolTip());
    Label7->setBuddy(EFiltreTitre);

    BtSaveOptions = named(new QPushButton(QStringLiteral("Enregistrer les paramètres"), TSOptions), u"BtSaveOptions");
    BtIniDefaut = named(new QPushButton(QStringLiteral("Paramètres originaux"), TSOptions), u"BtIniDefaut");

    auto* right = new QVBoxLayout;
    right->addWidget(GbOptionsMkv);
    right->addWidget(GbOptionAllocine);
    right->addStretch();
    auto* groups = new QHBoxLayout;
    groups->addWidget(GbOptionGene, 1);
    groups->addLayout(right, 1);
    auto* filter = new QHBoxLayout;
    filter->addWidget(Label7);
    filter->addWidget(EFiltreTitre, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtSaveOptions);
    buttons->addWidget(BtIniDefaut);
    auto* page = new QVBoxLayout(TSOptions);
    page->addLayout(groups, 1);
    page->addLayout(filter);
    page->addLayout(buttons);

    connect(BtRepAffiche, &QPushButton::clicked, this, &TForm1::BtRepAfficheClick);
    connect(BtSaveOptions, &QPushButton::clicked, this, &TForm1::BtSaveOptionsClick);
    connect(BtIniDefaut, &QPushButton::clicked, this, &TForm1::BtIniDefautClick);
    return TSOptions;
}

QWidget* TForm1::buildLogPage()
{
    TSLogs = named(new QWidget, u"TSLogs");
    MLog = named(new QPlainTextEdit(TSLogs), u"MLog");
    MLog->setReadOnly(true);
    MLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Long lines (paths, the stop warning) wrap rather than run off the page.
    MLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto* page = new QVBoxLayout(TSLogs);
    page->addWidget(MLog);
    return TSLogs;
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
            connect(boxWidget(box), &QCheckBox::toggled, this, handler);
        else
            connect(boxWidget(box), &QCheckBox::toggled, this, [this, box] { forwardBox(box); });
    }
}

void TForm1::forwardBox(OptionBox box)
{
    rules.setChecked(box, boxWidget(box)->isChecked());
}

void TForm1::syncBox(OptionBox box)
{
    QCheckBox* widget = boxWidget(box);
    widget->setEnabled(rules.enabled(box));
    widget->setChecked(rules.checked(box));
}

void TForm1::CbNouveauCataAMCClick()
{
    forwardBox(OptionBox::CbNouveauCataAMC);
    // A new catalogue chosen with the other type must be chosen again.
    EdCheminCataloCree->clear();
    EdNbrFilmsCree->clear();
}

void TForm1::CbNouveauCataXMLClick()
{
    forwardBox(OptionBox::CbNouveauCataXML);
    EdCheminCataloCree->clear();
    EdNbrFilmsCree->clear();
}

void TForm1::CbAfficheClick()
{
    forwardBox(OptionBox::CbAffiche);
    const bool on = CbAffiche->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(Label10), static_cast<QWidget*>(Label11), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(EdRepAffiche), static_cast<QWidget*>(BtRepAffiche)})
        w->setEnabled(on);
}

void TForm1::CbPieceJointeOnClick() { forwardBox(OptionBox::CbPieceJointe); }
void TForm1::CbfichiersImagesClick() { forwardBox(OptionBox::CbfichiersImages); }
void TForm1::CbToutFichierClick() { forwardBox(OptionBox::CbToutFichier); }
void TForm1::CbAlloClick() { forwardBox(OptionBox::CbAllo); }
void TForm1::CbAlloAutoClick() { forwardBox(OptionBox::CbAlloAuto); }
void TForm1::CbAlloManuClick() { forwardBox(OptionBox::CbAlloManu); }
void TForm1::CbEviterDoublonsOnClick() { forwardBox(OptionBox::CbEviterDoublons); }
void TForm1::CbGenUrlOnClick() { forwardBox(OptionBox::CbGenUrl); }

ScanOptions TForm1::options() const
{
    return scanOptionsOf(*controls);
}

// ---- Start and end -------------------------------------------------------------

void TForm1::FormCreate(const ToolLocator& tools)
{
    LectureIni();

    // The catalogue remembered from the last session is validated (and loaded) again.
    if (!EdCheminCataloExistant->text().isEmpty()) {
        validateCatalogueToComplete();
        if (EdCheminCataloExistant->text().isEmpty())
            dialogs.showMessage(QStringLiteral("Le catalogue à compléter n'est pas conforme"));
        else
            scanRun->CatalogueActif = EdCheminCataloExistant->text();
    }

    discoverMkvToolNix(tools);

    // Files dropped on the existing-catalogue group (a disabled page takes no drop).
    GbCataloExistant->setAcceptDrops(true);
    GbCataloExistant->installEventFilter(this);
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
    AccesFonctionsMedia.reset();
    try {
        updateIniFile(iniPath(), [this](IniFile& ini) {
            ini.setValue(QStringLiteral("General"), QStringLiteral("DernierRepScan"), EdCheminRepScan->text());
            ini.setValue(QStringLiteral("General"), QStringLiteral("CatalogueEnCours"), EdCheminCataloExistant->text());
        });
    } catch (const Error& e) {
        dialogs.showError(e.message());
    }
}

QString TForm1::iniPath() const
{
    return optionsIniPath(appDir);
}

void TForm1::EcritureLog(const QString& FichierLog, const QString& Mes)
{
    journal.EcritureLog(FichierLog, Mes);
}

void TForm1::removeMenuBar()
{
    MainMenu1->setEnabled(false);
    MainMenu1->hide();
}

void TForm1::restoreMenuBar()
{
    MainMenu1->show();
    MainMenu1->setEnabled(true);
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
}

void TForm1::BtSaveOptionsClick()
{
    try {
        updateIniFile(iniPath(), [this](IniFile& ini) { writeOptions(ini, *controls); });
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
    const bool confirmed = confirmation.ask();
    Form4 = nullptr;
    raise();
    activateWindow();

    if (confirmed) {
        const QString path = iniPath();
        QFile::remove(path);
        if (QFileInfo::exists(path)) {
            dialogs.showMessage(QStringLiteral("Impossible d'initialiser, redémarrer l'aplication"));
            EcritureLog(Journal::logFilePath(appDir), QStringLiteral("Echec de l'initialisation des paramètres"));
        }
        // The file comes back at the next save, at exit or at the next start.
        LectureIni();
    }
}

// ---- Choosers -------------------------------------------------------------------

void TForm1::BtChoixRepScanClick()
{
    EdCheminRepScan->clear();
    EdCheminRepScan->setText(dialogs.chooseFolder(QStringLiteral("Sélection du répertoire du scan")));
}

void TForm1::BtRepAfficheClick()
{
    EdRepAffiche->clear();
    const QString folder = dialogs.chooseFolder(QStringLiteral("Sélection du répertoire pour les affiches"));
    EdRepAffiche->setText(folder);
    // Cancelled: every option goes back to what the file holds.
    if (folder.isEmpty())
        LectureIni();
}

void TForm1::validateCatalogueToComplete()
{
    const int entries = scanRun->validitecatalogue(EdCheminCataloExistant->text());
    if (entries == -1)
        EdCheminCataloExistant->clear();
    else
        EdNbrFilmsExist->setText(QString::number(entries));
}

// Before another catalogue is chosen, the one held in memory and both choices go.
void TForm1::forgetCatalogues()
{
    scanRun->releaseCatalogue();
    scanRun->CatalogueActif.clear();
    EdCheminCataloExistant->clear();
    EdNbrFilmsExist->clear();
    EdCheminCataloCree->clear();
    EdNbrFilmsCree->clear();
}

// `path` becomes the catalogue to complete when it validates (a refused or
// empty one leaves nothing to complete).
void TForm1::completeCatalogue(const QString& path)
{
    EdCheminCataloExistant->setText(path);
    validateCatalogueToComplete();
    scanRun->CatalogueActif = EdCheminCataloExistant->text();
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
    EdNbrFilmsCree->setText(QStringLiteral("0"));

    const CatalogueChoice choice = dialogs.saveCatalogue(CbNouveauCataAMC->isChecked() ? 2 : 1);
    if (!choice.fileName.isEmpty())
        EdCheminCataloCree->setText(newCataloguePath(choice.fileName, choice.filterIndex));
    // The file itself is created by the run.
    scanRun->CatalogueActif = EdCheminCataloCree->text();
}

void TForm1::BtLanceScanClick()
{
    ScanRequest request{EdCheminRepScan->text(), EdCheminCataloCree->text(), EdNbrFilmsCree->text(),
                        EdCheminCataloExistant->text(), EdNbrFilmsExist->text()};
    scanRun->BtLanceScanClick(request);
    EdCheminCataloCree->setText(request.EdCheminCataloCree);
    EdNbrFilmsCree->setText(request.EdNbrFilmsCree);
    EdCheminCataloExistant->setText(request.EdCheminCataloExistant);
    EdNbrFilmsExist->setText(request.EdNbrFilmsExist);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!isEnabled() || !PCprincipal->isEnabled() || Form4 || FormAPropos) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TForm1::lockForRun()
{
    FormScanEnCours.setFileName(QString());
    FormScanEnCours.move(pos());
    FormScanEnCours.show();
    PCprincipal->setEnabled(false);
    removeMenuBar();
}

void TForm1::unlockAfterRun()
{
    FormScanEnCours.hide();
    FormScanEnCours.BtArretScan->setEnabled(true);
    PCprincipal->setEnabled(true);
    restoreMenuBar();
    PCprincipal->setCurrentWidget(TSLogs);
}

// ---- Drop -----------------------------------------------------------------------

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == GbCataloExistant) {
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
        default:
            break;
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
    const bool catalogue = name.endsWith(QStringLiteral(".xml")) || name.endsWith(QStringLiteral(".amc"));
    if (!catalogue) {
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
