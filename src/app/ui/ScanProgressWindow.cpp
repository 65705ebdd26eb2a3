#include "app/ui/ScanProgressWindow.h"

#include "core/ui/AccessibleWindow.h"
#include "scan/ScanRun.h"
#include "ui_ScanProgressWindow.h"

#include <QCloseEvent>
#include <algorithm>

namespace filmarch {

TFormScanEnCours::TFormScanEnCours(QWidget* parent)
    // A dialog-type window (it stays above the window that owns it) with a
    // title bar but no close button.
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::TFormScanEnCours>())
{
    ui->setupUi(this);
    readAsWindow(this);
    // Long file names must not widen the fixed window: they are shortened in
    // the middle to the label's width, the whole name in its tooltip.
    ui->LbNomFilm->installEventFilter(this);

    connect(ui->BtArretScan, &QPushButton::clicked, this, &TFormScanEnCours::BtArretScanClick);
}

TFormScanEnCours::~TFormScanEnCours() = default;

void TFormScanEnCours::BtArretScanClick()
{
    if (scanRun)
        scanRun->requestStop();
    ui->BtArretScan->setEnabled(false);
}

void TFormScanEnCours::setStopEnabled(bool enabled)
{
    ui->BtArretScan->setEnabled(enabled);
}

void TFormScanEnCours::hideAfterRun()
{
    hide();
    ui->BtArretScan->setEnabled(true);
}

void TFormScanEnCours::closeEvent(QCloseEvent* event)
{
    // Only the run hides this window; the user stops a run with "Stop".
    event->ignore();
}

void TFormScanEnCours::setMaximum(int max)
{
    ui->ProgressBar1->setMaximum(max);
}

void TFormScanEnCours::setPosition(int position)
{
    // The bar ignores values out of its range; the count is kept here.
    current = position;
    ui->ProgressBar1->setValue(std::clamp(position, ui->ProgressBar1->minimum(), ui->ProgressBar1->maximum()));
}

int TFormScanEnCours::position() const
{
    return current;
}

void TFormScanEnCours::setFileName(const QString& name)
{
    fileName = name;
    ui->LbNomFilm->setToolTip(name);
    showFileName();
}

void TFormScanEnCours::showFileName()
{
    QLabel* name = ui->LbNomFilm;
    name->setText(name->fontMetrics().elidedText(fileName, Qt::ElideMiddle, name->contentsRect().width()));
}

bool TFormScanEnCours::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->LbNomFilm && event->type() == QEvent::Resize)
        showFileName();
    return QWidget::eventFilter(watched, event);
}

} // namespace filmarch
