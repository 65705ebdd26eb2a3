#include "app/ui/AboutWindow.h"

#include "ui_AboutWindow.h"

#include <QIcon>

#include <algorithm>

namespace filmarch {

TFormAPropos::TFormAPropos(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TFormAPropos>())
{
    ui->setupUi(this);
    // The program's own icon, the one of the menu entry and the title bars.
    ui->LbIcone->setPixmap(QIcon(QStringLiteral(":/filmarch.svg")).pixmap(64, 64));
    ui->LbVersion->setText(QStringLiteral("Version ") + QStringLiteral(FILMARCH_VERSION));
    // The wrapped attribution takes the height its lines need at the width
    // the window settles on, whatever the font and its size.
    const int width = std::max(sizeHint().width(), fontMetrics().averageCharWidth() * 50);
    setFixedSize(width, std::max(sizeHint().height(), heightForWidth(width)));

    connect(ui->BtFermer, &QPushButton::clicked, this, &QDialog::accept);
}

TFormAPropos::~TFormAPropos() = default;

} // namespace filmarch
