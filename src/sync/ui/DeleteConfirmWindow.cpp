#include "sync/ui/DeleteConfirmWindow.h"

#include "ui_DeleteConfirmWindow.h"

namespace filmarch {

TConfirmSuppr::TConfirmSuppr(QWidget* parent) : ConfirmDialog(parent), ui(std::make_unique<Ui::TConfirmSuppr>())
{
    ui->setupUi(this);
    // Keeps the tool window from taking input until the answer.
    setWindowModality(Qt::WindowModal);
    connect(ui->BtConfirm, &QPushButton::clicked, this, &TConfirmSuppr::BtConfirmClick);
    connect(ui->BtAnnul, &QPushButton::clicked, this, &TConfirmSuppr::BtAnnulClick);
}

TConfirmSuppr::~TConfirmSuppr() = default;

void TConfirmSuppr::BtConfirmClick()
{
    confirmClicked();
}

void TConfirmSuppr::BtAnnulClick()
{
    reject();
}

} // namespace filmarch
