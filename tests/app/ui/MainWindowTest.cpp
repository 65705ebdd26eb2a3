#include "WindowFixture.h"

#include "app/Settings.h"
#include "app/ui/AboutWindow.h"
#include "catalog/XmlCatalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QWindow>

using namespace filmarch;
using namespace filmarch::test;

namespace {
// The text as the user reads it: the mnemonic marks are not shown.
QString shown(QString text)
{
    return text.remove(QLatin1Char('&'));
}

QString textOf(const QWidget* w)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return shown(b->text());
    if (auto* l = qobject_cast<const QLabel*>(w))
        return shown(l->text());
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return {};
}
} // namespace

using MainWindow = WindowFixture;

TEST_F(MainWindow, ControlsAsTheUserFindsThemAfterAFirstStart)
{
    TForm1& f = openWindow(false);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Filmarch"));
    auto* PCprincipal = control<QTabWidget>(&f, "PCprincipal");
    EXPECT_EQ(PCprincipal->currentWidget(), control(&f, "TSScan"));
    QStringList tabs;
    for (int i = 0; i < PCprincipal->count(); ++i)
        tabs << shown(PCprincipal->tabText(i)) + QLatin1Char('=') + PCprincipal->widget(i)->objectName();
    EXPECT_EQ(tabs.join(QLatin1Char(' ')), QStringLiteral("Scan=TSScan Options=TSOptions Journal=TSLogs"));

    // Radio: one of two exclusive choices, read as such by a screen reader.
    enum Flag { None = 0, Disabled = 1, Checked = 2, ReadOnly = 4, Hidden = 8, Radio = 16 };
    struct Row {
        const char* name;
        QString text;
        int flags = None;
        QString hint = {};
    };
    const QString parcourir = QStringLiteral("Parcourir");
    const QString filterHint =
        QStringLiteral("Elimine du titre les suite de caractères suivantes. Vous pouvez ajouter de nouvelles chaînes "
                       "en les séparant par des virgules");
    const Row rows[] = {
        {"GbRepertoireScan", QStringLiteral("Répertoire")},
        {"Label6", QStringLiteral("Répertoire à scanner")},
        {"EdCheminRepScan", {}},
        {"BtChoixRepScan", QStringLiteral("..."), None, parcourir},
        {"GbNouveauCatalogue", QStringLiteral("Créer un nouveau Catalogue")},
        {"CbNouveauCataAMC", QStringLiteral("De type AMC"), Radio | Checked},
        {"CbNouveauCataXML", QStringLiteral("De type XML"), Radio},
        {"Label5", QStringLiteral("Chemin du catalogue à créer :")},
        {"EdCheminCataloCree", {}},
        {"BtCherchCataloCree", QStringLiteral("..."), None, parcourir},
        {"EdNbrFilmsCree", {}, ReadOnly | Hidden},
        {"GbCataloExistant", QStringLiteral("Compléter un catalogue existant")},
        {"Label1", QStringLiteral("Chemin du catalogue existant : ")},
        {"EdCheminCataloExistant", {}},
        {"BtCherchCataloExist", QStringLiteral("..."), None, parcourir},
        {"Label3", QStringLiteral("Nombres de films dans le catalogue")},
        {"EdNbrFilmsExist", {}, ReadOnly},
        {"BtLanceScan", QStringLiteral("Lancer le scan")},
        {"GbOptionGene", QStringLiteral("Général")},
        {"CbExploreSousRep", QStringLiteral("Explorer les sous repertoires lors du scan")},
        {"CbEviterDoublons", QStringLiteral("Analyser les nouvelles entrées pour éviter les doublons"), Checked},
        {"Label8", QStringLiteral("(Ce base sur les url des fichiers pour la comparaison)")},
        {"Label4", QStringLiteral("Choisir les informations à récupérer lors du scan")},
        {"CbGenTitre", QStringLiteral("Titre"), Checked},
        {"CbGenDuree", QStringLiteral("Durée"), Checked},
        {"CbGenUrl", QStringLiteral("Emplacement du fichier sur le disque (url)"), Checked},
        {"CbGenVideo", QStringLiteral("Informations vidéo (Codec, resolution, bitrate, framerate)"), Checked},
        {"CbGenAudio", QStringLiteral("Informations audio (codec,  bitrate, nombre de pistes, langues)"), Checked},
        {"CbGenSousTitre", QStringLiteral("Sous titres"), Checked},
        {"CbGenTaille", QStringLiteral("Taille"), Checked},
        {"Label7", QStringLiteral("Filtre"), None, filterHint},
        {"EFiltreTitre", defaultFiltreTitre(), None, filterHint},
        {"GbOptionsMkv", QStringLiteral("Fichiers mkv"), None,
            QStringLiteral("MKVtoolnix doit être installé pour avoir acces à ces options")},
        {"CbAffiche", QStringLiteral("Récupérer l'affiche d'un mkv"), Disabled},
        {"Label10", QStringLiteral("Repertoire pour les affiches : "), Disabled},
        {"EdRepAffiche", defaultRepAffiche(), Disabled},
        {"BtRepAffiche", QStringLiteral("..."), Disabled, parcourir},
        {"Label11", QStringLiteral("Pour les fichiers xml dans dans le repertoire :"), Disabled},
        {"Label2", QStringLiteral("Pour les fichiers AMC, à l'intérieur du fichier"), Disabled},
        {"CbPieceJointe", QStringLiteral("Liste les pièces jointes d'un mkv dans le champ comment"), Disabled},
        {"CbfichiersImages", QStringLiteral("Seulement les images"), Radio | Disabled},
        {"CbToutFichier", QStringLiteral("Tous les fichiers"), Radio | Disabled | Checked},
        {"GbOptionAllocine", QStringLiteral("Allocine (désactive problème nouvelle API)"), Disabled},
        {"CbAllo", QStringLiteral("Activer la recherche sur Allocine")},
        {"Label9", QStringLiteral("Mode de récupération des infos")},
        {"CbAlloAuto", QStringLiteral("Automatique"), Radio | Disabled},
        {"CbAlloManu", QStringLiteral("Manuel"), Radio | Disabled},
        {"BtSaveOptions", QStringLiteral("Enregistrer les paramètres")},
        {"BtIniDefaut", QStringLiteral("Paramètres originaux")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto found = PCprincipal->findChildren<QWidget*>(QString::fromLatin1(row.name));
        ASSERT_EQ(found.size(), 1);
        const QWidget* w = found.first();
        EXPECT_EQ(textOf(w), row.text);
        EXPECT_EQ(w->toolTip(), row.hint);
        EXPECT_EQ(ownEnabled(w), !(row.flags & Disabled));
        EXPECT_EQ(w->isHidden(), bool(row.flags & Hidden));
        EXPECT_EQ(qobject_cast<const QRadioButton*>(w) != nullptr, bool(row.flags & Radio));
        if (qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w)) {
            EXPECT_EQ(qobject_cast<const QAbstractButton*>(w)->isChecked(), bool(row.flags & Checked));
        }
        if (auto* e = qobject_cast<const QLineEdit*>(w)) {
            EXPECT_EQ(e->isReadOnly(), bool(row.flags & ReadOnly));
        }
    }

    QStringList menus;
    for (QAction* menu : control<QMenuBar>(&f, "MainMenu1")->actions()) {
        menus << menu->text() + QLatin1Char(':');
        for (QAction* item : menu->menu()->actions())
            if (!item->isSeparator())
                menus << item->text()
                        + (item->shortcut().isEmpty() ? QString() : QLatin1Char(' ') + item->shortcut().toString());
    }
    EXPECT_EQ(menus.join(QLatin1Char('|')),
        QStringLiteral("&Fichier:|&Créer un nouveau catalogue|C&omplèter un catalogue existant|"
                       "&Exporter le catalogue…|&Vérifier le catalogue…|&Synchronisation de répertoires|"
                       "Catalogues &récents|&Quitter Ctrl+Q|&Aide:|&Manuel F1|&A propos"));

    EXPECT_EQ(control<QPlainTextEdit>(&f, "MLog")->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(control<QPlainTextEdit>(&f, "MLog")->isReadOnly());
    // One empty line, then the log lines.
    f.EcritureLog(QString(), QStringLiteral("première"));
    EXPECT_TRUE(control<QPlainTextEdit>(&f, "MLog")->toPlainText().startsWith(u'\n'));
    EXPECT_TRUE(control<QPlainTextEdit>(&f, "MLog")->toPlainText().endsWith(QStringLiteral(": première")));
    EXPECT_TRUE(f.CheminMkvToolNix.isEmpty());
}

TEST_F(MainWindow, MkvToolNixFoundEnablesTheMatroskaOptionsOtherwiseTheyAreStoredOff)
{
    writeIni("[Mkv]\nAffiches=1\nPiecesJointe=1\n[Synchro]\nDernierRepRef=/ref\n");
    {
        TForm1& f = openWindow(true);
        EXPECT_EQ(f.CheminMkvToolNix, mkvToolFolder() + QLatin1Char('/'));
        EXPECT_TRUE(ownEnabled(box(OptionBox::CbAffiche)) && ownEnabled(box(OptionBox::CbPieceJointe)));
        EXPECT_TRUE(box(OptionBox::CbAffiche)->isChecked());
        EXPECT_TRUE(control(&f, "EdRepAffiche")->isEnabled() && control(&f, "BtRepAffiche")->isEnabled());
        EXPECT_TRUE(box(OptionBox::CbToutFichier)->isEnabled() && box(OptionBox::CbfichiersImages)->isEnabled());
        EXPECT_TRUE(f.options().CbAffiche);
        form.reset();
    }

    // Without the tools: the boxes keep what was read, stay disabled, and read unchecked next time.
    TForm1& f = openWindow(false);
    EXPECT_TRUE(control<QCheckBox>(&f, "CbAffiche")->isChecked());
    EXPECT_FALSE(ownEnabled(box(OptionBox::CbAffiche)) || ownEnabled(box(OptionBox::CbPieceJointe)));
    const QString ini = readIni();
    EXPECT_TRUE(ini.contains(QStringLiteral("Affiches=0\nPiecesJointe=0"))) << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("DernierRepRef=/ref")));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(MainWindow, CheckBoxRules)
{
    using B = OptionBox;
    enum How { Click, SetOn, SetOff };
    struct Step {
        B box;
        How how;
    };
    struct Expect {
        B box;
        bool checked;
        bool enabled;
    };
    const QString urlMessage =
        QStringLiteral("Décocher cette option est incompatible avec l'option Eviter les doublons\n"
                       "Décocher préalablement l'option Eviter les doublons");
    struct Case {
        const char* name;
        QByteArray ini;
        std::vector<Step> steps;
        std::vector<Expect> expect;
        QStringList messages = {};
        bool clearsNewCatalogue = false;
    };
    const Case cases[] = {
        {"fresh start: the lookup modes wait for Activer, duplicates need no message", {}, {},
            {{B::CbAlloAuto, false, false}, {B::CbAlloManu, false, false}, {B::CbGenUrl, true, true}}},
        {"XML type unchecks AMC and forgets the chosen new catalogue", {}, {{B::CbNouveauCataXML, Click}},
            {{B::CbNouveauCataXML, true, true}, {B::CbNouveauCataAMC, false, true}}, {}, true},
        {"AMC set back by code", {}, {{B::CbNouveauCataXML, Click}, {B::CbNouveauCataAMC, SetOn}},
            {{B::CbNouveauCataXML, false, true}, {B::CbNouveauCataAMC, true, true}}, {}, true},
        {"Auto=1 then Manu=1 read: only Manuel", "[Allocine]\nAuto=1\nManu=1\n", {},
            {{B::CbAlloAuto, false, false}, {B::CbAlloManu, true, false}}},
        {"Doublons=1 with ChoisirUrl=0: the message at start, url checked again",
            "[General]\nDoublons=1\nChoisirUrl=0\n", {}, {{B::CbGenUrl, true, true}}, {urlMessage}},
        {"checking duplicates checks url; unchecking url is then refused", "[General]\nDoublons=0\nChoisirUrl=0\n",
            {{B::CbEviterDoublons, Click}, {B::CbGenUrl, Click}},
            {{B::CbEviterDoublons, true, true}, {B::CbGenUrl, true, true}}, {urlMessage}},
        {"url may be unchecked once duplicates are off", {}, {{B::CbEviterDoublons, Click}, {B::CbGenUrl, Click}},
            {{B::CbEviterDoublons, false, true}, {B::CbGenUrl, false, true}}},
        {"attachments enable the pair; pictures only unchecks all files", {},
            {{B::CbPieceJointe, Click}, {B::CbfichiersImages, Click}},
            {{B::CbfichiersImages, true, true}, {B::CbToutFichier, false, true}}},
        {"a click on the chosen one keeps it; choosing all files unchecks pictures only",
            "[Mkv]\nPiecesJointe=1\nPieceJointeImages=1\nPieceJointeTous=0\n",
            {{B::CbfichiersImages, Click}, {B::CbfichiersImages, Click}, {B::CbToutFichier, Click}},
            {{B::CbfichiersImages, false, true}, {B::CbToutFichier, true, true}}},
        {"unchecking attachments disables the pair", "[Mkv]\nPiecesJointe=1\n", {{B::CbPieceJointe, Click}},
            {{B::CbfichiersImages, false, false}, {B::CbToutFichier, true, false}}},
        {"stored Active=1 enables both modes", "[Allocine]\nAuto=1\nActive=1\n", {},
            {{B::CbAllo, true, true}, {B::CbAlloAuto, true, true}, {B::CbAlloManu, false, true}}},
        {"unchecking Active disables both modes and keeps their ticks", "[Allocine]\nAuto=1\nActive=1\n",
            {{B::CbAllo, SetOff}}, {{B::CbAlloAuto, true, false}, {B::CbAlloManu, false, false}}},
        {"checking Active twice leaves the modes enabled", "[Allocine]\nActive=1\n",
            {{B::CbAllo, SetOff}, {B::CbAllo, SetOn}}, {{B::CbAlloAuto, false, true}, {B::CbAlloManu, false, true}}},
        {"automatic and manual by code behave as a pair", {}, {{B::CbAlloAuto, SetOn}, {B::CbAlloManu, SetOn}},
            {{B::CbAlloAuto, false, false}, {B::CbAlloManu, true, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(iniPath());
        dialogs.messages.clear();
        if (!c.ini.isEmpty())
            writeIni(c.ini);
        TForm1& f = openWindow(true);
        control<QLineEdit>(&f, "EdCheminCataloCree")->setText(QStringLiteral("/catalogues/nouveau.amc"));
        control<QLineEdit>(&f, "EdNbrFilmsCree")->setText(QStringLiteral("0"));
        for (const Step& step : c.steps) {
            if (step.how == Click)
                click(box(step.box));
            else
                box(step.box)->setChecked(step.how == SetOn);
        }
        for (const Expect& e : c.expect) {
            SCOPED_TRACE(optionBoxName(e.box).toStdString());
            EXPECT_EQ(box(e.box)->isChecked(), e.checked);
            EXPECT_EQ(ownEnabled(box(e.box)), e.enabled);
            EXPECT_EQ(f.rules.checked(e.box), e.checked);
        }
        EXPECT_EQ(dialogs.messages, c.messages);
        EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloCree")->text().isEmpty(), c.clearsNewCatalogue);
        EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsCree")->text().isEmpty(), c.clearsNewCatalogue);
        form.reset();
    }
}

TEST_F(MainWindow, TheSourceChoiceAndTheTmdbKey)
{
    const QString key = QStringLiteral("0123456789abcdef0123456789abcdef");
    // Without a Source key, a TMDb key chooses TMDb.
    writeIni(QStringLiteral("[Allocine]\nServeur=films.test\n[TMDb]\nCle=%1\n").arg(key).toUtf8());
    TForm1& f = openWindow();
    auto* source = control<QComboBox>(&f, "CbSource");
    auto* keyField = control<QLineEdit>(&f, "EdCleTMDb");
    auto* group = control<QGroupBox>(&f, "GbOptionAllocine");
    EXPECT_EQ(source->currentText(), QStringLiteral("TMDb"));
    EXPECT_EQ(keyField->echoMode(), QLineEdit::Password) << "the key is not shown";
    EXPECT_TRUE(group->isEnabled());
    EXPECT_EQ(group->title(), QStringLiteral("TMDb"));
    EXPECT_TRUE(usesTmdb(f.options()) && f.options().CleTMDb == key);
    EXPECT_EQ(f.options().LangueTMDb, QStringLiteral("fr-FR"));

    // The group follows the source chosen and its setting, live.
    keyField->clear();
    EXPECT_FALSE(group->isEnabled());
    EXPECT_EQ(group->title(), QStringLiteral("TMDb (clé à renseigner)"));
    source->setCurrentIndex(0);
    EXPECT_TRUE(group->isEnabled());
    EXPECT_EQ(group->title(), QStringLiteral("Allocine"));
    EXPECT_FALSE(usesTmdb(f.options()));
    // Where to ask for a key, and a key typed is a choice of TMDb.
    auto* hint = control<QLabel>(&f, "LbAideTMDb");
    EXPECT_TRUE(hint->openExternalLinks());
    EXPECT_TRUE(hint->text().contains(QStringLiteral("href=\"https://www.themoviedb.org/settings/api\"")));
    ASSERT_TRUE(keyField->isEnabled());
    QTest::keyClicks(keyField, key);
    EXPECT_EQ(source->currentText(), QStringLiteral("TMDb"));
    EXPECT_TRUE(group->isEnabled());
    click(control(&f, "BtSaveOptions"));
    EXPECT_TRUE(f.statusBar()->currentMessage().startsWith(QStringLiteral("Paramètres enregistrés dans ")));
    const QString saved = readIni();
    EXPECT_TRUE(saved.contains(QStringLiteral("Source=TMDb\n"))) << saved.toStdString();
    EXPECT_TRUE(saved.contains(QStringLiteral("[TMDb]\nCle=%1\n").arg(key))) << saved.toStdString();
    EXPECT_EQ(
        QFile::permissions(iniPath()) & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther),
        QFile::Permissions())
        << "the file that holds the key is the user's alone";
    form.reset();
}

TEST_F(MainWindow, LookupOptionsCanBeSwitchedOnOnlyWithAServer)
{
    const QString disabledCaption = QStringLiteral("Allocine (désactive problème nouvelle API)");
    writeIni("[Allocine]\nAuto=1\nActive=1\n");
    {
        TForm1& f = openWindow();
        EXPECT_FALSE(control<QGroupBox>(&f, "GbOptionAllocine")->isEnabled());
        EXPECT_EQ(control<QGroupBox>(&f, "GbOptionAllocine")->title(), disabledCaption);
        // In force as stored: the run itself says that no server is set.
        EXPECT_TRUE(f.options().CbAlloAuto);
        EXPECT_TRUE(f.options().Serveur.isEmpty());
        form.reset();
    }

    writeIni("[Allocine]\nServeur=127.0.0.1:8080\n");
    TForm1& f = openWindow();
    EXPECT_TRUE(control<QGroupBox>(&f, "GbOptionAllocine")->isEnabled());
    EXPECT_EQ(control<QGroupBox>(&f, "GbOptionAllocine")->title(), QStringLiteral("Allocine"));
    EXPECT_EQ(f.options().Serveur, QStringLiteral("127.0.0.1:8080"));
    EXPECT_FALSE(box(OptionBox::CbAlloAuto)->isEnabled() || box(OptionBox::CbAlloManu)->isEnabled());
    click(control(&f, "CbAllo"));
    ASSERT_TRUE(
        control<QRadioButton>(&f, "CbAlloAuto")->isEnabled() && control<QRadioButton>(&f, "CbAlloManu")->isEnabled());
    EXPECT_FALSE(f.options().CbAlloAuto || f.options().CbAlloManu);
    click(control(&f, "CbAlloAuto"));
    EXPECT_TRUE(f.options().CbAlloAuto);
    click(control(&f, "CbAlloManu"));
    EXPECT_TRUE(f.options().CbAlloManu && !f.options().CbAlloAuto);
    click(control(&f, "CbAllo"));
    EXPECT_FALSE(control<QRadioButton>(&f, "CbAlloManu")->isEnabled() || f.options().CbAlloManu);
    click(control(&f, "BtSaveOptions"));
    EXPECT_TRUE(readIni().contains(QStringLiteral("[Allocine]\nServeur=127.0.0.1:8080\n")));
    // Read live: a change in the window is seen at once.
    click(control(&f, "CbExploreSousRep"));
    EXPECT_TRUE(f.options().CbExploreSousRep);
    click(control(&f, "CbAffiche"));
    EXPECT_TRUE(f.options().CbAffiche);
    EXPECT_TRUE(control(&f, "EdRepAffiche")->isEnabled() && control(&f, "Label2")->isEnabled());
}

TEST_F(MainWindow, NewCatalogueChooserNamesTheFileAfterTheFilterChosenAtClosing)
{
    struct Case {
        const char* name;
        bool xmlBox;
        CatalogueChoice answer;
        int expectedInitialFilter;
        QString expectedPath;
    };
    const Case cases[] = {
        {"AMC filter adds .amc", false, {QStringLiteral("/d/Films"), 2}, 2, QStringLiteral("/d/Films.amc")},
        {"amc elsewhere than at the end is no extension", false, {QStringLiteral("/d/amc/Films"), 2}, 2,
            QStringLiteral("/d/amc/Films.amc")},
        {"the other type's extension is kept", false, {QStringLiteral("/d/Films.xml"), 2}, 2,
            QStringLiteral("/d/Films.xml")},
        {"XML filter wins over the AMC box", false, {QStringLiteral("/d/Films"), 1}, 2, QStringLiteral("/d/Films.xml")},
        {"XML box opens on the XML filter", true, {QStringLiteral("/d/Films.xml"), 1}, 1,
            QStringLiteral("/d/Films.xml")},
        {"upper-case extension is not the type", true, {QStringLiteral("/d/Films.XML"), 1}, 1,
            QStringLiteral("/d/Films.XML.xml")},
        {"both-types filter chooses nothing", false, {QStringLiteral("/d/Films.amc"), 3}, 2, QString()},
        {"cancelled", false, {QString(), 2}, 2, QString()},
    };
    TForm1& f = openWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        control<QRadioButton>(&f, "CbNouveauCataXML")->setChecked(c.xmlBox);
        control<QRadioButton>(&f, "CbNouveauCataAMC")->setChecked(!c.xmlBox);
        control<QLineEdit>(&f, "EdCheminCataloExistant")->setText(QStringLiteral("/d/ancien.amc"));
        control<QLineEdit>(&f, "EdNbrFilmsExist")->setText(QStringLiteral("12"));
        dialogs.saveFilters.clear();
        dialogs.saveChoices = {c.answer};
        click(control(&f, "BtCherchCataloCree"));
        EXPECT_EQ(dialogs.saveFilters, QList<int> {c.expectedInitialFilter});
        EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloCree")->text(), c.expectedPath);
        EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsCree")->text(), QStringLiteral("0"));
        EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloExistant")->text().isEmpty());
        EXPECT_TRUE(control<QLineEdit>(&f, "EdNbrFilmsExist")->text().isEmpty());
    }
}

TEST_F(MainWindow, FolderAndExistingCatalogueChoosers)
{
    TForm1& f = openWindow();
    dialogs.folders = {QStringLiteral("/films"), QString()};
    click(control(&f, "BtChoixRepScan"));
    EXPECT_EQ(control<QLineEdit>(&f, "EdCheminRepScan")->text(), QStringLiteral("/films"));
    click(control(&f, "BtChoixRepScan"));
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminRepScan")->text().isEmpty());
    EXPECT_EQ(dialogs.folderCaptions.value(0), QStringLiteral("Sélection du répertoire du scan"));

    // An unusable or cancelled choice leaves no catalogue, and clears the new one.
    control<QLineEdit>(&f, "EdCheminCataloCree")->setText(QStringLiteral("/d/nouveau.amc"));
    control<QLineEdit>(&f, "EdNbrFilmsCree")->setText(QStringLiteral("0"));
    dialogs.openChoices = {{QStringLiteral("/d/notes.txt"), 3}, {QString(), 3}};
    click(control(&f, "BtCherchCataloExist"));
    EXPECT_EQ(dialogs.openFilters, (QList<int> {3}));
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloExistant")->text().isEmpty());
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloCree")->text().isEmpty());
    EXPECT_TRUE(control<QLineEdit>(&f, "EdNbrFilmsCree")->text().isEmpty());
    click(control(&f, "BtCherchCataloExist"));
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloExistant")->text().isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());

    // The menu chooses the folder, then the catalogue.
    dialogs.folders = {QStringLiteral("/films")};
    dialogs.saveChoices = {{QStringLiteral("/d/Films"), 2}};
    control<QAction>(&f, "MenuNewCatalog")->trigger();
    EXPECT_EQ(control<QLineEdit>(&f, "EdCheminRepScan")->text(), QStringLiteral("/films"));
    EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloCree")->text(), QStringLiteral("/d/Films.amc"));
}

TEST_F(MainWindow, CancelledPosterFolderReloadsEveryOptionFromTheFile)
{
    writeIni("[Mkv]\nAffiches=1\nRepertoireAffiches=/affiches\n");
    TForm1& f = openWindow();
    dialogs.folders = {QStringLiteral("/autres"), QString()};
    click(control(&f, "BtRepAffiche"));
    EXPECT_EQ(control<QLineEdit>(&f, "EdRepAffiche")->text(), QStringLiteral("/autres"));
    EXPECT_EQ(dialogs.folderCaptions.value(0), QStringLiteral("Sélection du répertoire pour les affiches"));

    click(control(&f, "CbGenTaille")); // an unsaved change, discarded by the reload
    click(control(&f, "BtRepAffiche"));
    EXPECT_EQ(control<QLineEdit>(&f, "EdRepAffiche")->text(), QStringLiteral("/affiches"));
    EXPECT_TRUE(control<QCheckBox>(&f, "CbGenTaille")->isChecked());
}

TEST_F(MainWindow, DroppedFiles)
{
    const QString dropped = QDir(appDir.path()).filePath(QStringLiteral("films.xml"));
    struct Case {
        const char* name;
        QList<QUrl> urls;
        QString message; // empty: the file is taken as the catalogue to complete
    };
    const Case cases[] = {
        {"two files", {QUrl::fromLocalFile(dropped), QUrl::fromLocalFile(QStringLiteral("/d/b.amc"))},
            QStringLiteral("Un seul fichier catalogue est accepté")},
        {"upper-case extension", {QUrl::fromLocalFile(QStringLiteral("/d/films.XML"))},
            QStringLiteral("Fichier non compatible")},
        {"another extension", {QUrl::fromLocalFile(QStringLiteral("/d/films.xml.txt"))},
            QStringLiteral("Fichier non compatible")},
        {"not a local file", {QUrl(QStringLiteral("http://exemple.org/films.xml"))},
            QStringLiteral("Fichier non compatible")},
        {"one catalogue", {QUrl::fromLocalFile(dropped)}, QString()},
    };
    XmlCatalogue::createNew()->saveFile(dropped);
    TForm1& f = openWindow();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        control<QLineEdit>(&f, "EdCheminCataloCree")->setText(QStringLiteral("/d/nouveau.amc"));

        QMimeData mime;
        mime.setUrls(c.urls);
        const QPoint at = control<QGroupBox>(&f, "GbCataloExistant")->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control<QGroupBox>(&f, "GbCataloExistant"), &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control<QGroupBox>(&f, "GbCataloExistant"), &drop);

        if (c.message.isEmpty()) {
            // Taken: the new catalogue is forgotten and the file is validated.
            EXPECT_TRUE(dialogs.messages.isEmpty());
            EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloCree")->text().isEmpty());
            EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloExistant")->text(), dropped);
            EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text(), QStringLiteral("0"));
        } else {
            EXPECT_EQ(dialogs.messages, QStringList {c.message});
            EXPECT_EQ(control<QLineEdit>(&f, "EdCheminCataloCree")->text(), QStringLiteral("/d/nouveau.amc"));
        }
    }
}

TEST_F(MainWindow, AboutWindowStaysAboveTheMainWindowAndClosesFromTheKeyboard)
{
    TForm1& f = openWindow();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        SCOPED_TRACE(key);
        control<QAction>(&f, "MenuAPropos")->trigger();
        ASSERT_TRUE(f.FormAPropos);
        EXPECT_TRUE(f.FormAPropos->isVisible());
        EXPECT_TRUE(control<QLabel>(f.FormAPropos, "LbVersion")->text().contains(QStringLiteral(FILMARCH_VERSION)));
        EXPECT_FALSE(control<QLabel>(f.FormAPropos, "LbIcone")->pixmap().isNull()); // the program's icon
        EXPECT_EQ(control<QLabel>(f.FormAPropos, "LbTMDb")->text(),
            QStringLiteral("Ce produit utilise l'API TMDB mais n'est ni approuvé ni certifié par TMDB."));
        // Owned by the main window, which takes no input (nor closes) meanwhile.
        EXPECT_EQ(f.FormAPropos->windowHandle()->transientParent(), f.windowHandle());
        EXPECT_EQ(QApplication::activeModalWidget(), f.FormAPropos);
        f.close();
        EXPECT_TRUE(f.isVisible());

        QTest::keyClick(f.FormAPropos, key);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(f.FormAPropos);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }

    // A run takes the menu away and gives it back.
    f.removeMenuBar();
    EXPECT_FALSE(control<QMenuBar>(&f, "MainMenu1")->isVisible() || control<QMenuBar>(&f, "MainMenu1")->isEnabled());
    f.restoreMenuBar();
    EXPECT_TRUE(control<QMenuBar>(&f, "MainMenu1")->isVisible() && control<QMenuBar>(&f, "MainMenu1")->isEnabled());
}

// The lookup says which film database it asks, and the posters it may write
// go to a folder that can then be chosen, Matroska option or not.
TEST_F(MainWindow, TheLookupNamesItsSourceAndOpensThePosterFolder)
{
    TForm1& f = openWindow(false);
    auto* allo = control<QCheckBox>(&f, "CbAllo");
    control<QComboBox>(&f, "CbSource")->setCurrentIndex(1);
    EXPECT_EQ(allo->text(), QStringLiteral("Activer la recherche sur TMDb"));
    EXPECT_FALSE(control<QWidget>(&f, "GbOptionAllocine")->isEnabled()) << "no key yet";
    control<QLineEdit>(&f, "EdCleTMDb")->setText(QStringLiteral("0123456789abcdef0123456789abcdef"));
    ASSERT_TRUE(control<QWidget>(&f, "GbOptionAllocine")->isEnabled());
    EXPECT_FALSE(control<QWidget>(&f, "BtRepAffiche")->isEnabled());
    click(allo);
    ASSERT_TRUE(allo->isChecked());
    for (const char* name : {"EdRepAffiche", "BtRepAffiche", "Label10"})
        EXPECT_TRUE(control<QWidget>(&f, name)->isEnabled()) << name;
    click(allo);
    EXPECT_FALSE(control<QWidget>(&f, "BtRepAffiche")->isEnabled());
    control<QComboBox>(&f, "CbSource")->setCurrentIndex(0);
    EXPECT_EQ(allo->text(), QStringLiteral("Activer la recherche sur Allocine"));
}

namespace {
// Stands for the user's browser.
class Browser : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
    Q_INVOKABLE void open(const QUrl& url) { opened << url; }
};
} // namespace

// F1 opens the manual shipped with the program in the user's browser.
TEST_F(MainWindow, F1OpensTheManual)
{
    TForm1& f = openWindow(false);
    const QString page = QDir(appDir.path()).filePath(QStringLiteral("manuel/filmarch.html"));
    QApplication::setActiveWindow(&f);
    QTest::keyClick(&f, Qt::Key_F1);
    EXPECT_EQ(dialogs.errors, QStringList {QStringLiteral("Le manuel est introuvable : ") + page});

    QDir(appDir.path()).mkdir(QStringLiteral("manuel"));
    ASSERT_TRUE(QFile::copy(binDir() + QStringLiteral("/manuel/filmarch.html"), page));
    Browser browser;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");
    QTest::keyClick(&f, Qt::Key_F1);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(browser.opened, QList<QUrl> {QUrl::fromLocalFile(page)});
    QFile manual(page);
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const QByteArray html = manual.readAll();
    EXPECT_TRUE(html.contains("<title>FILMARCH(1)</title>"));
    EXPECT_TRUE(html.contains("filmarch-cli"));
}

// A path typed or pasted in a field is taken as the choosers take theirs.
TEST_F(MainWindow, TypedOrPastedPathsAreCheckedAsChosenOnes)
{
    TForm1& f = openWindow();
    const QString catalogue = QDir(appDir.path()).filePath(QStringLiteral("films.xml"));
    XmlCatalogue::createNew()->saveFile(catalogue);
    const auto type = [&](const char* name, const QString& text) {
        auto* field = control<QLineEdit>(&f, name);
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        return field->text();
    };
    EXPECT_EQ(type("EdCheminRepScan", QStringLiteral(" ") + appDir.path() + QStringLiteral("/ ")), appDir.path());
    EXPECT_EQ(type("EdCheminRepScan", appDir.path() + QStringLiteral("/absent")), QString());
    EXPECT_EQ(dialogs.messages.value(0),
        QStringLiteral("Le répertoire à scanner n'existe pas : ") + appDir.path() + QStringLiteral("/absent"));

    // A pasted file URL: the catalogue validates and is counted.
    EXPECT_EQ(type("EdCheminCataloExistant", QUrl::fromLocalFile(catalogue).toString()), catalogue);
    EXPECT_EQ(control<QLineEdit>(&f, "EdNbrFilmsExist")->text(), QStringLiteral("0"));
    // A new catalogue gets the extension of its box and forgets the other.
    EXPECT_EQ(type("EdCheminCataloCree", appDir.path() + QStringLiteral("/nouveau")),
        appDir.path() + QStringLiteral("/nouveau.amc"));
    EXPECT_TRUE(control<QLineEdit>(&f, "EdCheminCataloExistant")->text().isEmpty());
    EXPECT_EQ(type("EdCheminCataloCree", QStringLiteral("/nulle/part/films.xml")), QString());
    EXPECT_EQ(dialogs.messages.value(1),
        QStringLiteral("Le dossier du catalogue à créer n'existe pas : /nulle/part/films.xml"));
}

// The TMDb attribution is whole, whatever the font and its size.
TEST(AboutWindow, ShowsTheWholeAttributionAtEverySize)
{
    const QFont before = QApplication::font();
    for (const int points : {7, 10, 14, 22}) {
        for (const char* family : {"Liberation Sans", "Liberation Serif"}) {
            SCOPED_TRACE(points);
            QFont font(QString::fromLatin1(family));
            font.setPointSize(points);
            QApplication::setFont(font);
            TFormAPropos about;
            about.show();
            QCoreApplication::processEvents();
            auto* attribution = control<QLabel>(&about, "LbTMDb");
            EXPECT_GE(attribution->height(), attribution->heightForWidth(attribution->width())) << family;
            EXPECT_TRUE(about.rect().contains(attribution->geometry())) << family;
            EXPECT_GE(attribution->width(),
                attribution->fontMetrics().horizontalAdvance(QStringLiteral("approuvé ni certifié")));
        }
    }
    QApplication::setFont(before);
}

TEST_F(MainWindow, LogLinesWrapToThePageWidth)
{
    TForm1& f = openWindow();
    control<QTabWidget>(&f, "PCprincipal")->setCurrentWidget(control(&f, "TSLogs"));
    const QString warning = QStringLiteral(
        "Le scan a été coupé par l'utilisateur, le catalogue risque d'être incomplet ou corrompu.Une sauveagrde en "
        ".bak se trouve dans le dossier du catalogue actuel");
    f.EcritureLog(QString(), warning + warning);
    QCoreApplication::processEvents();
    // Nothing to scroll sideways: the whole warning is on the page.
    EXPECT_EQ(control<QPlainTextEdit>(&f, "MLog")->horizontalScrollBar()->maximum(), 0);
    EXPECT_GT(control<QPlainTextEdit>(&f, "MLog")->document()->lastBlock().layout()->lineCount(), 1);
}

TEST_F(MainWindow, StaysOpenWhileDisabledOrRunning)
{
    TForm1& f = openWindow();
    f.setEnabled(false); // another window waits for an answer
    f.close();
    EXPECT_TRUE(f.isVisible());
    f.setEnabled(true);
    control<QTabWidget>(&f, "PCprincipal")->setEnabled(false); // a run works
    f.close();
    EXPECT_TRUE(f.isVisible());
    control<QTabWidget>(&f, "PCprincipal")->setEnabled(true);
    f.close();
    EXPECT_FALSE(f.isVisible());
}

TEST_F(MainWindow, ProgressWindowStopsTheRunAndCannotBeClosed)
{
    TForm1& f = openWindow();
    EXPECT_EQ(progress().windowTitle(), QStringLiteral("Progression du scan"));
    EXPECT_FALSE(progress().windowFlags() & Qt::WindowCloseButtonHint);
    progress().show();
    progress().close();
    EXPECT_TRUE(progress().isVisible());
    // Owned by the main window, so that a click there does not bury it.
    EXPECT_EQ(progress().windowType(), Qt::Dialog);
    EXPECT_EQ(progress().windowHandle()->transientParent(), f.windowHandle());

    // A long name is shortened in the middle, its ends kept, the whole of it in the tooltip.
    const QString name = QStringLiteral("Un.Tres.Long.Titre.De.Film.Avec.Beaucoup.De.Mots.Dans.Son.Nom.De.Fichier."
                                        "Qui.Ne.Tient.Pas.Dans.La.Fenetre.De.Progression.2001.1080p.mkv");
    auto* LbNomFilm = control<QLabel>(&progress(), "LbNomFilm");
    progress().setFileName(name);
    const QString shown = LbNomFilm->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Un.Tres")) && shown.endsWith(QStringLiteral("1080p.mkv")));
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LE(LbNomFilm->fontMetrics().horizontalAdvance(shown), LbNomFilm->contentsRect().width());
    EXPECT_EQ(LbNomFilm->toolTip(), name);
    progress().setFileName(QStringLiteral("Court.mkv"));
    EXPECT_EQ(LbNomFilm->text(), QStringLiteral("Court.mkv"));

    progress().setMaximum(2);
    progress().advance();
    progress().advance();
    progress().advance(); // past the end: the count goes on, the bar stays full
    EXPECT_EQ(progress().position(), 3);
    EXPECT_EQ(control<QProgressBar>(&progress(), "ProgressBar1")->value(), 2);

    QTest::mouseClick(control<QPushButton>(&progress(), "BtArretScan"), Qt::LeftButton);
    EXPECT_TRUE(f.scanRun->stopRequested());
    EXPECT_FALSE(control<QPushButton>(&progress(), "BtArretScan")->isEnabled());
    progress().hide();
}

#include "MainWindowTest.moc"
