#include "gui/focus_return.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPointer>
#include <QTimer>

FocusReturn::FocusReturn(QObject* parent) : QObject(parent)
{
    qApp->installEventFilter(this);
}

bool FocusReturn::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Hide)
        return false;
    auto* dialog = qobject_cast<QDialog*>(watched);
    if (!dialog || !dialog->isWindow() || !dialog->parentWidget())
        return false;
    QPointer<QWidget> owner = dialog->parentWidget()->window();
    // After the dialog is gone: another dialog it opened in turn keeps the keyboard.
    QTimer::singleShot(0, this, [owner] {
        if (owner && owner->isVisible() && !QApplication::activeWindow() &&
            (!QApplication::activeModalWidget() || QApplication::activeModalWidget() == owner))
            owner->activateWindow();
    });
    return false;
}
