#include "app/ui/AboutWindow.h"

#include "ui_AboutWindow.h"

#include <QIcon>

namespace filmarch {

TFormAPropos::TFormAPropos(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFormAPropos>())
{
    ui->setupUi(this);
    // The program's own icon, the one of the menu entry and the title bars.
    ui->LbIcone->setPixmap(QIcon(QStringLiteral(":/filmarch.svg")).pixmap(64, 64));
    ui->LbVersion->setText(QStringLiteral("Version ") + QStringLiteral(FILMARCH_VERSION));
    setFixedSize(sizeHint());

    connect(ui->BtFermer, &QPushButton::clicked, this, &QDialog::accept);
}

TFormAPropos::~TFormAPropos() = default;

} // namespace filmarch
