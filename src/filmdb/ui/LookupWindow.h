#pragma once
// The film-database lookup window. Created hidden at start-up; a manual
// lookup shows it modally for each film.
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace filmarch {

class TFormAllocine : public QWidget {
    Q_OBJECT
public:
    explicit TFormAllocine(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLineEdit* EdNomFilm = nullptr;   // the title searched
    QPushButton* BtArret = nullptr;   // stops the whole scan
};

} // namespace filmarch
