#include "sync/ui/CopyProgressWindow.h"

#include "ui_CopyProgressWindow.h"

#include <QCloseEvent>

namespace filmarch {

TFCopieEnCours::TFCopieEnCours(std::atomic<bool>& stopFlag, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFCopieEnCours>()), stop(stopFlag)
{
    ui->setupUi(this);
    // Keeps the tool window from taking input while the copy runs.
    setWindowModality(Qt::WindowModal);
    connect(ui->BtArret, &QPushButton::clicked, this, &TFCopieEnCours::BtArretClick);
}

TFCopieEnCours::~TFCopieEnCours() = default;

void TFCopieEnCours::setPosition(int percent)
{
    ui->ProgressBar1->setValue(percent);
}

void TFCopieEnCours::BtArretClick()
{
    stop = true;
}

void TFCopieEnCours::reject()
{
    BtArretClick();
}

void TFCopieEnCours::closeEvent(QCloseEvent* event)
{
    BtArretClick();
    event->ignore();
}

} // namespace filmarch
