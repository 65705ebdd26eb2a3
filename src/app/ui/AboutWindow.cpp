#include "app/ui/AboutWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace filmarch {

TFormAPropos::TFormAPropos(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormAPropos"));
    setWindowTitle(QStringLiteral("A propos"));

    LbNom = new QLabel(QStringLiteral("<b>Filmarch</b>"), this);
    LbVersion = new QLabel(QStringLiteral("Version ") + QStringLiteral(FILMARCH_VERSION), this);
    LbCredits = new QLabel(QStringLiteral("Analyse des fichiers par la bibliothèque MediaInfo, "
                                          "catalogues au format Ant Movie Catalog."),
                           this);
    BtFermer = new QPushButton(QStringLiteral("Fermer"), this);
    LbNom->setObjectName(QStringLiteral("LbNom"));
    LbVersion->setObjectName(QStringLiteral("LbVersion"));
    LbCredits->setObjectName(QStringLiteral("LbCredits"));
    BtFermer->setObjectName(QStringLiteral("BtFermer"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LbNom, 0, Qt::AlignHCenter);
    layout->addWidget(LbVersion, 0, Qt::AlignHCenter);
    layout->addWidget(LbCredits, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addWidget(BtFermer, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());

    BtFermer->setDefault(true);
    connect(BtFermer, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace filmarch
