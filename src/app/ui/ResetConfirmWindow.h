#pragma once
// Asks before every option goes back to its default. A dialog owned by the
// main window; "Annuler", Escape and the title bar all cancel, and the focus
// starts on "Annuler" so that a stray key resets nothing.
#include <QDialog>
#include <memory>

namespace Ui {
class TForm4;
}

namespace filmarch {

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

    // Shows the window and waits (the event loop keeps running) for an answer.
    // Returns `confirm`.
    bool ask();

    bool confirm = false; // the user confirmed
    bool appuit = false;  // an answer was given

public slots:
    void BtConfirmerClick();
    void BtAnnulerClick();
    void reject() override;

private:
    std::unique_ptr<Ui::TForm4> ui;
};

} // namespace filmarch
