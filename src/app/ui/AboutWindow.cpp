#include "app/ui/AboutWindow.h"

#include "ui_AboutWindow.h"

namespace filmarch {

TFormAPropos::TFormAPropos(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFormAPropos>())
{
    ui->setupUi(this);
    ui->LbVersion->setText(QStringLiteral("Version ") + QStringLiteral(FILMARCH_VERSION));
    setFixedSize(sizeHint());

    connect(ui->BtFermer, &QPushButton::clicked, this, &QDialog::accept);
}

TFormAPropos::~TFormAPropos() = default;

} // namespace filmarch
