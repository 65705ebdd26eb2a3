#pragma once
// Asks before every option goes back to its default. Closing it by its
// title bar counts as "Annuler".
#include <QWidget>

class QLabel;
class QPushButton;

namespace filmarch {

class TForm4 : public QWidget {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // Shows the window and waits (the event loop keeps running) for an answer.
    // Returns `confirm`.
    bool ask();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* BtConfirmer = nullptr;
    QPushButton* BtAnnuler = nullptr;

    bool confirm = false;   // the user confirmed
    bool appuit = false;    // an answer was given

signals:
    void answered();

public slots:
    void BtConfirmerClick();
    void BtAnnulerClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void answer(bool confirmed);
};

} // namespace filmarch
