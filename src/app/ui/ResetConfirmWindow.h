#pragma once
// Asks before every option goes back to its default. A dialog owned by the
// main window; "Annuler", Escape and the title bar all cancel, and the focus
// starts on "Annuler" so that a stray key resets nothing.
#include "core/ui/ConfirmDialog.h"

#include <memory>

namespace Ui {
class TForm4;
}

namespace filmarch {

class TForm4 : public ConfirmDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

public slots:
    void BtConfirmerClick();
    void BtAnnulerClick();

private:
    std::unique_ptr<Ui::TForm4> ui;
};

} // namespace filmarch
