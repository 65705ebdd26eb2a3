#pragma once
// The progress window of a scan run: a bar, the name of the file in hand and
// a Stop button. The user cannot close it; a run hides it when it ends.
#include "core/ScanProgress.h"

#include <QWidget>
#include <memory>

namespace Ui {
class TFormScanEnCours;
}

namespace filmarch {

class ScanRun;

class TFormScanEnCours : public QWidget, public ScanProgress {
    Q_OBJECT
public:
    explicit TFormScanEnCours(QWidget* parent = nullptr);
    ~TFormScanEnCours() override;

    // The run whose stop flag the Stop button sets.
    void setRun(ScanRun* run) { scanRun = run; }

    void setMaximum(int max) override;
    void setPosition(int position) override;
    int position() const override;
    void setFileName(const QString& name) override;
    void processEvents() override {} // the run works on a thread of its own

    // Hidden at the end of a run, with "Stop" ready for the next one.
    void hideAfterRun();
    // The lookup window takes "Stop" away while it is shown.
    void setStopEnabled(bool enabled);

public slots:
    void BtArretScanClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showFileName();

    std::unique_ptr<Ui::TFormScanEnCours> ui;
    ScanRun* scanRun = nullptr;
    int current = 0;
    QString fileName; // whole; LbNomFilm may show it shortened
};

} // namespace filmarch
