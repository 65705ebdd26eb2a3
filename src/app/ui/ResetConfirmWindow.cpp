#include "app/ui/ResetConfirmWindow.h"

#include "ui_ResetConfirmWindow.h"

namespace filmarch {

TForm4::TForm4(QWidget* parent) : ConfirmDialog(parent), ui(std::make_unique<Ui::TForm4>())
{
    ui->setupUi(this);
    setFixedSize(sizeHint());

    // Enter and the first focus go to "Annuler": Space must not reset every setting.
    ui->BtAnnuler->setFocus();

    connect(ui->BtConfirmer, &QPushButton::clicked, this, &TForm4::BtConfirmerClick);
    connect(ui->BtAnnuler, &QPushButton::clicked, this, &TForm4::BtAnnulerClick);
}

TForm4::~TForm4() = default;

void TForm4::BtConfirmerClick()
{
    confirmClicked();
}

void TForm4::BtAnnulerClick()
{
    reject();
}

} // namespace filmarch
