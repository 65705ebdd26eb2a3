#include "app/OptionRules.h"

namespace filmarch {

QString optionBoxName(OptionBox box)
{
    static const std::array<const char16_t*, OptionBoxCount> names = {
        u"CbNouveauCataAMC",
        u"CbNouveauCataXML",
        u"CbExploreSousRep",
        u"CbEviterDoublons",
        u"CbGenTitre",
        u"CbGenDuree",
        u"CbGenUrl",
        u"CbGenVideo",
        u"CbGenAudio",
        u"CbGenSousTitre",
        u"CbGenTaille",
        u"CbAffiche",
        u"CbPieceJointe",
        u"CbfichiersImages",
        u"CbToutFichier",
        u"CbAllo",
        u"CbAlloAuto",
        u"CbAlloManu",
        u"CbRegrouperParties",
        u"CbTitresNettoyes",
    };
    return QString::fromUtf16(names[static_cast<int>(box)]);
}

QString urlOptionNeededMessage()
{
    return QStringLiteral("Décocher cette option est incompatible avec l'option Eviter les doublons\n"
                          "Décocher préalablement l'option Eviter les doublons");
}

OptionRules::OptionRules()
{
    state(OptionBox::CbNouveauCataAMC).checked = true;
    for (OptionBox box : {OptionBox::CbAffiche, OptionBox::CbPieceJointe, OptionBox::CbfichiersImages,
             OptionBox::CbToutFichier, OptionBox::CbAlloAuto, OptionBox::CbAlloManu})
        state(box).enabled = false;
}

void OptionRules::setChecked(OptionBox box, bool checked)
{
    if (state(box).checked == checked)
        return;
    state(box).checked = checked;
    if (boxChanged)
        boxChanged(box);
    applyRule(box);
}

void OptionRules::setEnabled(OptionBox box, bool enabled)
{
    if (state(box).enabled == enabled)
        return;
    state(box).enabled = enabled;
    if (boxChanged)
        boxChanged(box);
}

void OptionRules::applyRule(OptionBox box)
{
    using B = OptionBox;
    const bool on = checked(box);
    switch (box) {
    case B::CbNouveauCataAMC: setChecked(B::CbNouveauCataXML, !on); break;
    case B::CbNouveauCataXML: setChecked(B::CbNouveauCataAMC, !on); break;
    case B::CbPieceJointe:
        setEnabled(B::CbToutFichier, on);
        setEnabled(B::CbfichiersImages, on);
        break;
    case B::CbfichiersImages: setChecked(B::CbToutFichier, !on); break;
    case B::CbToutFichier: setChecked(B::CbfichiersImages, !on); break;
    case B::CbAllo:
        // A mode can be chosen only while the lookup is switched on.
        setEnabled(B::CbAlloManu, on);
        setEnabled(B::CbAlloAuto, on);
        break;
    case B::CbAlloAuto: setChecked(B::CbAlloManu, !on); break;
    case B::CbAlloManu: setChecked(B::CbAlloAuto, !on); break;
    case B::CbEviterDoublons:
        if (on)
            setChecked(B::CbGenUrl, true);
        break;
    case B::CbGenUrl:
        if (!on && checked(B::CbEviterDoublons)) {
            if (showMessage)
                showMessage(urlOptionNeededMessage());
            setChecked(B::CbGenUrl, true);
        }
        break;
    default: break;
    }
}

} // namespace filmarch
