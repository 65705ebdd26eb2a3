#pragma once
// "A propos": the program's name, version and credits. A dialog owned by the
// main window, so that it stays above it; Escape and Enter close it.
#include <QDialog>

class QLabel;
class QPushButton;

namespace filmarch {

class TFormAPropos : public QDialog {
    Q_OBJECT
public:
    explicit TFormAPropos(QWidget* parent = nullptr);

    QLabel* LbNom = nullptr;
    QLabel* LbVersion = nullptr;
    QLabel* LbCredits = nullptr;
    QPushButton* BtFermer = nullptr;
};

} // namespace filmarch
