#pragma once
// "A propos": the program's name, version and credits.
#include <QWidget>

class QLabel;
class QPushButton;

namespace filmarch {

class TFormAPropos : public QWidget {
    Q_OBJECT
public:
    explicit TFormAPropos(QWidget* parent = nullptr);

    QLabel* LbNom = nullptr;
    QLabel* LbVersion = nullptr;
    QLabel* LbCredits = nullptr;
    QPushButton* BtFermer = nullptr;
};

} // namespace filmarch
