#include "sync/ui/DeleteConfirmWindow.h"

#include "ui_DeleteConfirmWindow.h"

namespace filmarch {

TConfirmSuppr::TConfirmSuppr(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TConfirmSuppr>())
{
    ui->setupUi(this);
    // Keeps the tool window from taking input until the answer.
    setWindowModality(Qt::WindowModal);
    connect(ui->BtConfirm, &QPushButton::clicked, this, &TConfirmSuppr::BtConfirmClick);
    connect(ui->BtAnnul, &QPushButton::clicked, this, &TConfirmSuppr::BtAnnulClick);
}

TConfirmSuppr::~TConfirmSuppr() = default;

bool TConfirmSuppr::ask()
{
    confirm = false;
    appuit = false;
    exec();
    return confirm;
}

void TConfirmSuppr::BtConfirmClick()
{
    confirm = true;
    appuit = true;
    accept();
}

void TConfirmSuppr::BtAnnulClick()
{
    confirm = false;
    appuit = true;
    QDialog::reject();
}

void TConfirmSuppr::reject()
{
    BtAnnulClick();
}

} // namespace filmarch
