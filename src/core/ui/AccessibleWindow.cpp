#include "core/ui/AccessibleWindow.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace filmarch {

namespace {

const char kProperty[] = "filmarchReadAsWindow";

QAccessibleInterface* windowInterface(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->isWindow() && widget->property(kProperty).toBool())
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void readAsWindow(QWidget* window)
{
    static const bool installed = [] {
        QAccessible::installFactory(windowInterface);
        return true;
    }();
    (void)installed;
    window->setProperty(kProperty, true);
}

} // namespace filmarch
