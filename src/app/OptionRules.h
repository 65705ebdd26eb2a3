#pragma once
// The check boxes of the main window and the rules that tie them together.
// A rule runs whenever a box's checked state changes (a click, or code such as
// reading the settings file, or another rule); setting a box to the state it
// already has starts nothing. The window mirrors this model in its widgets,
// and the command line uses it alone to get the same options from options.ini.
#include <QString>
#include <array>
#include <functional>

namespace filmarch {

enum class OptionBox {
    CbNouveauCataAMC,
    CbNouveauCataXML,
    CbExploreSousRep,
    CbEviterDoublons,
    CbGenTitre,
    CbGenDuree,
    CbGenUrl,
    CbGenVideo,
    CbGenAudio,
    CbGenSousTitre,
    CbGenTaille,
    CbAffiche,
    CbPieceJointe,
    CbfichiersImages,
    CbToutFichier,
    CbAllo,
    CbAlloAuto,
    CbAlloManu,
    CbRegrouperParties,
    CbTitresNettoyes,
};
inline constexpr int OptionBoxCount = 20;

// The control name of a box ("CbGenUrl").
QString optionBoxName(OptionBox box);

// Shown when the URL option is unchecked while duplicates are avoided.
QString urlOptionNeededMessage();

class OptionRules {
public:
    // The state as the window is built: every option box unchecked, "De type
    // AMC" checked, the Matroska boxes and the lookup mode boxes disabled.
    OptionRules();

    bool checked(OptionBox box) const { return state(box).checked; }
    bool enabled(OptionBox box) const { return state(box).enabled; }

    void setChecked(OptionBox box, bool checked);
    void setEnabled(OptionBox box, bool enabled);

    // Told after a box's checked or enabled state changed (before its rule runs).
    std::function<void(OptionBox)> boxChanged;
    // Shows a message to the user (one OK button).
    std::function<void(const QString&)> showMessage;

private:
    struct BoxState {
        bool checked = false;
        bool enabled = true;
    };
    BoxState& state(OptionBox box) { return boxes[static_cast<int>(box)]; }
    const BoxState& state(OptionBox box) const { return boxes[static_cast<int>(box)]; }
    void applyRule(OptionBox box);

    std::array<BoxState, OptionBoxCount> boxes;
};

} // namespace filmarch
