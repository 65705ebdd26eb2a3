#pragma once
// Asked before any backup file is deleted. Its close box and Escape count as
// "Annuler".
#include <QDialog>
#include <memory>

namespace Ui {
class TConfirmSuppr;
}

namespace filmarch {

class TConfirmSuppr : public QDialog {
    Q_OBJECT
public:
    explicit TConfirmSuppr(QWidget* parent);
    ~TConfirmSuppr() override;

    // Shows the window and waits, the event loop running, for an answer.
    // Returns `confirm`.
    bool ask();

    bool confirm = false; // the user confirmed
    bool appuit = false;  // an answer was given

public slots:
    void BtConfirmClick();
    void BtAnnulClick();
    void reject() override;

private:
    std::unique_ptr<Ui::TConfirmSuppr> ui;
};

} // namespace filmarch
