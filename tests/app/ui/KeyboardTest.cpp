// The windows by keyboard and for screen readers: every control the Tab key
// reaches has a name a screen reader can say, every text field is reached
// from its label's mnemonic; and no label of the fixed-layout lookup window
// is cut with the faces the package brings.
#include "WindowFixture.h"

#include "app/ui/AboutWindow.h"
#include "app/ui/ResetConfirmWindow.h"
#include "filmdb/ui/LookupWindow.h"
#include "sync/ui/SyncWindow.h"

#include <QAccessible>
#include <QFontInfo>
#include <QTabBar>

using namespace filmarch;
using namespace filmarch::test;

namespace {

// The controls Tab goes through, in order, from the window's first one.
QList<QWidget*> tabOrder(QWidget* window)
{
    QList<QWidget*> order;
    QWidget* w = window;
    while ((w = w->nextInFocusChain()) != window) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(window) && w->isEnabledTo(window) && !order.contains(w))
            order << w;
    }
    return order;
}

QString spokenName(QWidget* w)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
    return accessible ? accessible->text(QAccessible::Name).remove(QLatin1Char('&')).trimmed() : QString();
}

// The controls of the Tab order without a name, or with "..." for a name.
QStringList unnamedControls(QWidget* window)
{
    QStringList unnamed;
    for (QWidget* w : tabOrder(window)) {
        const QString name = spokenName(w);
        if (qobject_cast<QTabBar*>(w))
            continue; // its tabs carry the names
        if (name.isEmpty() || name == QLatin1String("..."))
            unnamed << w->objectName() + QLatin1Char('(') + QLatin1String(w->metaObject()->className())
                    + QLatin1Char(')');
    }
    return unnamed;
}

// Every text field with its label's mnemonic: Alt+letter brings the focus to it.
void expectBuddies(QWidget* window, const std::vector<std::pair<const char*, const char*>>& labelToField)
{
    for (const auto& [label, field] : labelToField) {
        SCOPED_TRACE(label);
        auto* l = control<QLabel>(window, label);
        ASSERT_TRUE(l);
        ASSERT_EQ(l->buddy(), control(window, field));
        EXPECT_TRUE(l->text().contains(QLatin1Char('&')));
    }
}

} // namespace

using Keyboard = WindowFixture;

TEST_F(Keyboard, EveryControlTheTabKeyReachesHasAName)
{
    TForm1& f = openWindow(true);
    auto* pages = control<QTabWidget>(&f, "PCprincipal");
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        SCOPED_TRACE(pages->widget(i)->objectName().toStdString());
        EXPECT_GT(tabOrder(&f).size(), 1);
        EXPECT_EQ(unnamedControls(&f), QStringList());
    }
    // The pages: the progress window, a child of the main window, has labels of the same names.
    expectBuddies(pages,
        {{"Label6", "EdCheminRepScan"}, {"Label5", "EdCheminCataloCree"}, {"Label1", "EdCheminCataloExistant"},
            {"Label3", "EdNbrFilmsExist"}, {"Label10", "EdRepAffiche"}, {"Label7", "EFiltreTitre"}});
    EXPECT_EQ(spokenName(control(&f, "BtChoixRepScan")), QStringLiteral("Choisir le répertoire à scanner"));
    EXPECT_EQ(spokenName(control(&f, "EdCheminRepScan")), QStringLiteral("Répertoire à scanner"));

    TSynch sync(AppPaths::beside(appDir.path()), dialogs, context->journal);
    sync.show();
    EXPECT_EQ(unnamedControls(&sync), QStringList());
    expectBuddies(&sync, {{"referenceLabel", "EdCheminRepRef"}, {"backupLabel", "EdCheminRepSauv"}});

    TFormAllocine lookup(AppPaths::beside(appDir.path()), dialogs);
    lookup.show();
    EXPECT_EQ(unnamedControls(&lookup), QStringList());
    expectBuddies(&lookup, {{"Label1", "EdNomFilm"}});

    TForm4 reset;
    TFormAPropos about;
    for (QWidget* w : std::initializer_list<QWidget*> {&reset, &about, &f.FormScanEnCours}) {
        w->show();
        EXPECT_EQ(unnamedControls(w), QStringList()) << w->objectName().toStdString();
    }

    // Windows read as windows, and what shows without words has a name.
    for (QWidget* w : std::initializer_list<QWidget*> {&sync, &f.FormScanEnCours, &lookup, &about})
        EXPECT_EQ(QAccessible::queryAccessibleInterface(w)->role() == QAccessible::Window
                || QAccessible::queryAccessibleInterface(w)->role() == QAccessible::Dialog,
            true)
            << w->objectName().toStdString();
    EXPECT_EQ(spokenName(control(&f.FormScanEnCours, "ProgressBar1")), QStringLiteral("Progression du scan"));
    EXPECT_EQ(spokenName(control(&about, "LbIcone")), QStringLiteral("Icône de Filmarch"));
}

TEST_F(Keyboard, CtrlQQuitsFromTheFileMenu)
{
    TForm1& f = openWindow(false);
    QAction* quit = control<QAction>(&f, "MenuQuitter");
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    quit->trigger();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(QFile::exists(iniPath())) << "closing saved the settings";
}

// The lookup window places its controls in pixels, as drawn for Tahoma and
// Times New Roman; the package brings faces of the same widths.
TEST_F(Keyboard, NoLabelOfTheLookupWindowIsCut)
{
    TFormAllocine lookup(AppPaths::beside(appDir.path()), dialogs);
    lookup.show();
    const QString face = QFontInfo(lookup.font()).family();
    ASSERT_TRUE(
        face == QLatin1String("Tahoma") || face == QLatin1String("Liberation Sans") || face == QLatin1String("Arial"))
        << "no face with the widths of Tahoma (fonts-liberation2 is missing): " << face.toStdString();
    auto* enCours = control<QLabel>(&lookup, "LbEnCours");
    enCours->show(); // shown while a film is recorded
    for (QLabel* label : lookup.findChildren<QLabel*>()) {
        if (label->wordWrap() || label->text().isEmpty())
            continue;
        SCOPED_TRACE(label->objectName().toStdString());
        const QString text = QString(label->text()).remove(QLatin1Char('&'));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(text), label->contentsRect().width()) << text.toStdString();
    }
    for (QAbstractButton* button : lookup.findChildren<QAbstractButton*>()) {
        if (!qobject_cast<QCheckBox*>(button))
            continue;
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_LE(button->sizeHint().width(), button->width());
    }
}
