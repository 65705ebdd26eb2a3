#include "app/ui/ResetConfirmWindow.h"

#include "ui_ResetConfirmWindow.h"

namespace filmarch {

TForm4::TForm4(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm4>())
{
    ui->setupUi(this);
    setFixedSize(sizeHint());

    // Enter and the first focus go to "Annuler": Space must not reset every setting.
    ui->BtAnnuler->setFocus();

    connect(ui->BtConfirmer, &QPushButton::clicked, this, &TForm4::BtConfirmerClick);
    connect(ui->BtAnnuler, &QPushButton::clicked, this, &TForm4::BtAnnulerClick);
}

TForm4::~TForm4() = default;

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
