#include "app/Settings.h"

#include "media/IntegerText.h"
#include "platform/Error.h"
#include "platform/IniFile.h"

#include <QDir>

namespace filmarch {

namespace {
StoredOption boolOption(const char16_t* section, const char16_t* key, OptionBox box, bool def)
{
    return StoredOption {QString::fromUtf16(section), QString::fromUtf16(key), box, {}, def, {}};
}

StoredOption textOption(const char16_t* section, const char16_t* key, OptionText text, QString def)
{
    return StoredOption {
        QString::fromUtf16(section), QString::fromUtf16(key), std::nullopt, text, false, std::move(def)};
}

// Spaces around a number are ignored, as INI readers do (a hand-edited
// "ExplorerSousRep=1 " means 1); texts keep theirs, a folder may end in one.
bool readBool(const std::optional<QString>& stored, bool def)
{
    if (!stored)
        return def;
    const QString number = stored->trimmed();
    if (!isIntegerText(number))
        return def;
    return toInteger(number) != 0;
}
} // namespace

const std::vector<StoredOption>& storedOptions()
{
    using B = OptionBox;
    using T = OptionText;
    static const std::vector<StoredOption> table = {
        boolOption(u"General", u"ExplorerSousRep", B::CbExploreSousRep, false),
        textOption(u"General", u"DernierRepScan", T::EdCheminRepScan, {}),
        textOption(u"General", u"CatalogueEnCours", T::EdCheminCataloExistant, {}),
        boolOption(u"General", u"Doublons", B::CbEviterDoublons, true),
        boolOption(u"General", u"ChoisirTitre", B::CbGenTitre, true),
        boolOption(u"General", u"TitresNettoyes", B::CbTitresNettoyes, false),
        // The trailing space is part of the key, in files written long ago too.
        boolOption(u"General", u"ChoisirDuree ", B::CbGenDuree, true),
        boolOption(u"General", u"ChoisirUrl", B::CbGenUrl, true),
        boolOption(u"General", u"ChoisirFormatVideo", B::CbGenVideo, true),
        boolOption(u"General", u"ChoisirFormatAudio", B::CbGenAudio, true),
        boolOption(u"General", u"ChoisirSousTitre", B::CbGenSousTitre, true),
        boolOption(u"General", u"ChoisirTaille", B::CbGenTaille, true),
        boolOption(u"General", u"RegrouperParties", B::CbRegrouperParties, true),
        textOption(u"General", u"FiltreTitre", T::EFiltreTitre, defaultFiltreTitre()),
        boolOption(u"Mkv", u"Affiches", B::CbAffiche, false),
        textOption(u"Mkv", u"RepertoireAffiches", T::EdRepAffiche, defaultRepAffiche()),
        boolOption(u"Mkv", u"PiecesJointe", B::CbPieceJointe, false),
        boolOption(u"Mkv", u"PieceJointeImages", B::CbfichiersImages, false),
        boolOption(u"Mkv", u"PieceJointeTous", B::CbToutFichier, true),
        boolOption(u"Allocine", u"Auto", B::CbAlloAuto, false),
        boolOption(u"Allocine", u"Manu", B::CbAlloManu, false),
        boolOption(u"Allocine", u"Active", B::CbAllo, false),
    };
    return table;
}

void readOptions(const IniFile& ini, OptionControls& controls)
{
    for (const StoredOption& option : storedOptions()) {
        const std::optional<QString> stored = ini.value(option.section, option.key);
        if (option.box)
            controls.setBox(*option.box, readBool(stored, option.defaultChecked));
        else
            controls.setText(option.text, stored.value_or(option.defaultText));
    }
}

void writeOptions(IniFile& ini, const OptionControls& controls)
{
    for (const StoredOption& option : storedOptions()) {
        const QString value = option.box ? (controls.box(*option.box) ? QStringLiteral("1") : QStringLiteral("0"))
                                         : controls.text(option.text);
        ini.setValue(option.section, option.key, value);
    }
}

ScanOptions scanOptionsOf(const OptionControls& c)
{
    using B = OptionBox;
    ScanOptions o;
    o.CbExploreSousRep = c.box(B::CbExploreSousRep);
    o.CbEviterDoublons = c.box(B::CbEviterDoublons);
    o.CbGenTitre = c.box(B::CbGenTitre);
    o.CbTitresNettoyes = c.box(B::CbTitresNettoyes);
    o.CbGenDuree = c.box(B::CbGenDuree);
    o.CbGenUrl = c.box(B::CbGenUrl);
    o.CbGenVideo = c.box(B::CbGenVideo);
    o.CbGenAudio = c.box(B::CbGenAudio);
    o.CbGenSousTitre = c.box(B::CbGenSousTitre);
    o.CbGenTaille = c.box(B::CbGenTaille);
    o.CbRegrouperParties = c.box(B::CbRegrouperParties);
    o.EFiltreTitre = c.text(OptionText::EFiltreTitre);
    o.CbAffiche = c.box(B::CbAffiche);
    o.EdRepAffiche = c.text(OptionText::EdRepAffiche);
    o.CbPieceJointe = c.box(B::CbPieceJointe);
    o.CbfichiersImages = c.box(B::CbfichiersImages);
    o.CbToutFichier = c.box(B::CbToutFichier);
    o.CbAlloAuto = c.box(B::CbAllo) && c.box(B::CbAlloAuto);
    o.CbAlloManu = c.box(B::CbAllo) && c.box(B::CbAlloManu);
    return o;
}

QString readServeur(const IniFile& ini)
{
    return ini.value(QStringLiteral("Allocine"), QStringLiteral("Serveur")).value_or(QString()).trimmed();
}

void readLookupSettings(const IniFile& ini, ScanOptions& options)
{
    const auto read = [&ini](const char* section, const char* key) {
        return ini.value(QLatin1String(section), QLatin1String(key)).value_or(QString()).trimmed();
    };
    const ScanOptions defaults;
    options.Serveur = readServeur(ini);
    options.Source = read("Allocine", "Source");
    options.CleTMDb = read("TMDb", "Cle");
    options.LangueTMDb = read("TMDb", "Langue");
    if (options.LangueTMDb.isEmpty())
        options.LangueTMDb = defaults.LangueTMDb;
    options.ServeurTMDb = read("TMDb", "Serveur");
    if (options.ServeurTMDb.isEmpty())
        options.ServeurTMDb = defaults.ServeurTMDb;
}

OptionValues::OptionValues() = default;

ScanOptions readScanOptions(const QString& iniPath, const std::function<void(const QString&)>& showMessage)
{
    OptionValues values;
    values.rules.showMessage = showMessage;
    IniFile ini;
    try {
        ini = IniFile::load(iniPath);
    } catch (const Error& e) {
        if (showMessage)
            showMessage(e.message() + QStringLiteral("\nLes paramètres par défaut sont utilisés."));
    }
    readOptions(ini, values);
    ScanOptions options = scanOptionsOf(values);
    readLookupSettings(ini, options);
    return options;
}

} // namespace filmarch
