// Driving the window's event loop from outside, as the end-to-end tests and the Stop
// soak do while a command runs.
#pragma once

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `look` once, from the event loop, the first time `when` holds during the run:
// the check runs in every message pump. The check goes with owner (the window).
inline void DuringTheRun(QObject* owner, std::function<bool()> when, std::function<void()> look)
{
    auto* timer = new QTimer(owner);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (!when())
            return;
        timer->stop();
        look();
    });
    timer->start();
}

// Queues `count` clicks on the button as the window system delivers them: they are
// handled by whichever message pump runs next, one after another, so the second is
// handled while the first one's handler is still on the stack if that handler pumps.
inline void PostClicks(QWidget* button, int count)
{
    const QPointF centre = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(centre);
    for (int i = 0; i < count; ++i) {
        const QEvent::Type press = i % 2 == 1 ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress;
        for (QEvent::Type type : {press, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(button, new QMouseEvent(type, centre, global, Qt::LeftButton,
                                                                type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                                                                   : Qt::LeftButton,
                                                                Qt::NoModifier));
    }
}
