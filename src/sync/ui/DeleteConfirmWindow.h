#pragma once
// Asked before any backup file is deleted. Its close box and Escape count as
// "Annuler".
#include "core/ui/ConfirmDialog.h"

#include <memory>

namespace Ui {
class TConfirmSuppr;
}

namespace filmarch {

class TConfirmSuppr : public ConfirmDialog {
    Q_OBJECT
public:
    explicit TConfirmSuppr(QWidget* parent);
    ~TConfirmSuppr() override;

public slots:
    void BtConfirmClick();
    void BtAnnulClick();

private:
    std::unique_ptr<Ui::TConfirmSuppr> ui;
};

} // namespace filmarch
