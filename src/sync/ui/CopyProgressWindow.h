#pragma once
// The copy window: which file of how many, how far it went, and "Arrêter".
// Its close box and Escape stop the copy too; the task closes it.
#include <QDialog>
#include <atomic>
#include <memory>

namespace Ui {
class TFCopieEnCours;
}

namespace filmarch {

class TFCopieEnCours : public QDialog {
    Q_OBJECT
public:
    // `stop` is the flag of the copy task that "Arrêter" sets.
    TFCopieEnCours(std::atomic<bool>& stop, QWidget* parent);
    ~TFCopieEnCours() override;

    void setPosition(int percent);

public slots:
    void BtArretClick();
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::unique_ptr<Ui::TFCopieEnCours> ui;
    std::atomic<bool>& stop;
};

} // namespace filmarch
