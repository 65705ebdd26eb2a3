#pragma once
// options.ini: which control each stored option belongs to, and reading the
// file into the controls (in the order of the table, so that the check-box
// rules fire as each box changes) or writing the controls into it.
#include "app/OptionRules.h"
#include "core/Options.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace filmarch {

class IniFile;

// The edit fields whose text is stored.
enum class OptionText { EdCheminRepScan, EdCheminCataloExistant, EFiltreTitre, EdRepAffiche };

// The option controls as the settings see them: the main window's widgets, or
// plain values for the command line.
class OptionControls {
public:
    virtual ~OptionControls() = default;
    virtual bool box(OptionBox b) const = 0;
    // Changing a box runs its rule.
    virtual void setBox(OptionBox b, bool checked) = 0;
    virtual QString text(OptionText t) const = 0;
    virtual void setText(OptionText t, const QString& value) = 0;
};

// One key of options.ini and the control that holds it.
struct StoredOption {
    QString section;
    QString key;
    std::optional<OptionBox> box; // a Boolean held by a check box...
    OptionText text {};           // ...or else a text held by an edit field
    bool defaultChecked = false;
    QString defaultText;
};

// Every stored option, in the order of reading and writing.
const std::vector<StoredOption>& storedOptions();

// Sets every control from `ini`: a missing key, or a Boolean that is not an
// integer text, gives the key's default.
void readOptions(const IniFile& ini, OptionControls& controls);
// Writes every control into `ini` (Booleans as 1 or 0); other keys stay.
void writeOptions(IniFile& ini, const OptionControls& controls);

// The scan options as a run sees them, `Serveur` aside; a lookup mode is in
// force when "Activer la recherche sur Allocine" and its own box are checked.
ScanOptions scanOptionsOf(const OptionControls& controls);

// The film-database host of key Serveur in section Allocine; empty when none
// is set. Not a control: saving the options leaves it as it is.
QString readServeur(const IniFile& ini);

// The film-database settings: Serveur and Source of section Allocine, and
// section TMDb (Cle, Langue, Serveur; an empty value gives the default).
void readLookupSettings(const IniFile& ini, ScanOptions& options);

// The option controls without a window: the rules model and the texts.
class OptionValues : public OptionControls {
public:
    OptionValues();
    bool box(OptionBox b) const override { return rules.checked(b); }
    void setBox(OptionBox b, bool checked) override { rules.setChecked(b, checked); }
    QString text(OptionText t) const override { return texts[static_cast<int>(t)]; }
    void setText(OptionText t, const QString& value) override { texts[static_cast<int>(t)] = value; }

    OptionRules rules;
    std::array<QString, 4> texts;
};

// What the main window's controls hold after reading `iniPath` at start-up,
// and the server, without a window. An unreadable file gives the defaults; its message and
// the rules' messages go to `showMessage` when given.
ScanOptions readScanOptions(const QString& iniPath, const std::function<void(const QString&)>& showMessage = {});

} // namespace filmarch
