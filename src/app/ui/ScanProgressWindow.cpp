#include "app/ui/ScanProgressWindow.h"

#include "scan/ScanRun.h"

#include <QCloseEvent>
#include <algorithm>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace filmarch {

TFormScanEnCours::TFormScanEnCours(QWidget* parent)
    // A dialog-type window (it stays above the window that owns it) with a
    // title bar but no close button.
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("FormScanEnCours"));
    setWindowTitle(QStringLiteral("Progression du scan"));

    Label1 = new QLabel(QStringLiteral("Scan en cours"), this);
    ProgressBar1 = new QProgressBar(this);
    BtArretScan = new QPushButton(QStringLiteral("Stop"), this);
    Label2 = new QLabel(QStringLiteral("Nom du film en cours de traitement :"), this);
    LbNomFilm = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    BtArretScan->setObjectName(QStringLiteral("BtArretScan"));
    Label2->setObjectName(QStringLiteral("Label2"));
    LbNomFilm->setObjectName(QStringLiteral("LbNomFilm"));
    ProgressBar1->setRange(0, 1);
    ProgressBar1->setValue(0);
    // Long file names must not widen the fixed window: they are shortened in
    // the middle to the label's width, the whole name in its tooltip.
    LbNomFilm->setMinimumWidth(1);
    LbNomFilm->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    LbNomFilm->installEventFilter(this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(ProgressBar1, 1, 0);
    layout->addWidget(BtArretScan, 1, 1);
    layout->addWidget(Label2, 2, 0, 1, 2);
    layout->addWidget(LbNomFilm, 3, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    setFixedSize(460, 140);

    connect(BtArretScan, &QPushButton::clicked, this, &TFormScanEnCours::BtArretScanClick);
}

void TFormScanEnCours::BtArretScanClick()
{
    if (scanRun)
        scanRun->requestStop();
    BtArretScan->setEnabled(false);
}

void TFormScanEnCours::closeEvent(QCloseEvent* event)
{
    // Only the run hides this window; the user stops a run with "Stop".
    event->ignore();
}

void TFormScanEnCours::setMaximum(int max)
{
    ProgressBar1->setMaximum(max);
}

void TFormScanEnCours::setPosition(int position)
{
    // The bar ignores values out of its range; the count is kept here.
    current = position;
    ProgressBar1->setValue(std::clamp(position, ProgressBar1->minimum(), ProgressBar1->maximum()));
}

int TFormScanEnCours::position() const
{
    return current;
}

void TFormScanEnCours::setFileName(const QString& name)
{
    fileName = name;
    LbNomFilm->setToolTip(name);
    showFileName();
}

void TFormScanEnCours::showFileName()
{
    LbNomFilm->setText(LbNomFilm->fontMetrics().elidedText(fileName, Qt::ElideMiddle, LbNomFilm->contentsRect().width()));
}

bool TFormScanEnCours::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LbNomFilm && event->type() == QEvent::Resize)
        showFileName();
    return QWidget::eventFilter(watched, event);
}

void TFormScanEnCours::processEvents()
{
    QCoreApplication::processEvents();
}

} // namespace filmarch
