#include "app/ui/ResetConfirmWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace filmarch {

TForm4::TForm4(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Confirmation initialisation"));

    Label1 = new QLabel(QStringLiteral("Attention tous les paramètres vont être remis  aux valeurs d'origines"), this);
    Label2 = new QLabel(QStringLiteral("Notament le filtre pour les titres"), this);
    BtConfirmer = new QPushButton(QStringLiteral("Confirmer"), this);
    BtAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2->setObjectName(QStringLiteral("Label2"));
    BtConfirmer->setObjectName(QStringLiteral("BtConfirmer"));
    BtAnnuler->setObjectName(QStringLiteral("BtAnnuler"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtConfirmer);
    buttons->addWidget(BtAnnuler);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1, 0, Qt::AlignHCenter);
    layout->addWidget(Label2, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    // Enter and the first focus go to "Annuler": Space must not reset every setting.
    BtConfirmer->setAutoDefault(false);
    BtAnnuler->setDefault(true);
    setTabOrder(BtAnnuler, BtConfirmer);
    BtAnnuler->setFocus();

    connect(BtConfirmer, &QPushButton::clicked, this, &TForm4::BtConfirmerClick);
    connect(BtAnnuler, &QPushButton::clicked, this, &TForm4::BtAnnulerClick);
}

bool TForm4::ask()
{
    appuit = false;
    confirm = false;
    exec();
    return confirm;
}

void TForm4::BtConfirmerClick()
{
    confirm = true;
    appuit = true;
    accept();
}

void TForm4::BtAnnulerClick()
{
    reject();
}

void TForm4::reject()
{
    confirm = false;
    appuit = true;
    QDialog::reject();
}

} // namespace filmarch
