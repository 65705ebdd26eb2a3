#pragma once
// A question with two answers, confirm or cancel, asked in a modal window.
// "Annuler", Escape and the title bar all cancel. The forms that derive from
// it bring their own texts and wire their two buttons to confirmClicked() and
// reject().
#include <QDialog>

namespace filmarch {

class ConfirmDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the window and waits (the event loop keeps running) for an answer.
    // Returns `confirm`.
    bool ask();

    // ask() over the owner, then the owner comes back to the front with the focus.
    bool askOverOwner();

    bool confirm = false; // the user confirmed
    bool appuit = false;  // an answer was given

public slots:
    void reject() override;

protected:
    explicit ConfirmDialog(QWidget* parent);
    void confirmClicked();
};

// Brings a window back to the front and gives it the focus, as after a modal window it owned.
void bringToFront(QWidget* window);

} // namespace filmarch
