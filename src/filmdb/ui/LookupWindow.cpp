#include "filmdb/ui/LookupWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace filmarch {

TFormAllocine::TFormAllocine(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FormAllocine"));
    setWindowTitle(QStringLiteral("Script Allocine"));
    setFixedSize(384, 693);

    Label1 = new QLabel(QStringLiteral("Titre du film"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 8, 60, 21);
    EdNomFilm = new QLineEdit(this);
    EdNomFilm->setObjectName(QStringLiteral("EdNomFilm"));
    EdNomFilm->setGeometry(78, 6, 200, 21);
    BtArret = new QPushButton(QStringLiteral("Stop"), this);
    BtArret->setObjectName(QStringLiteral("BtArret"));
    BtArret->setGeometry(144, 663, 65, 25);
}

} // namespace filmarch
