#include "core/ui/ConfirmDialog.h"

namespace filmarch {

ConfirmDialog::ConfirmDialog(QWidget* parent) : QDialog(parent)
{
}

bool ConfirmDialog::ask()
{
    confirm = false;
    appuit = false;
    exec();
    return confirm;
}

bool ConfirmDialog::askOverOwner()
{
    const bool confirmed = ask();
    bringToFront(parentWidget());
    return confirmed;
}

void ConfirmDialog::confirmClicked()
{
    confirm = true;
    appuit = true;
    accept();
}

void ConfirmDialog::reject()
{
    confirm = false;
    appuit = true;
    QDialog::reject();
}

void bringToFront(QWidget* window)
{
    if (!window)
        return;
    window->raise();
    window->activateWindow();
}

} // namespace filmarch
