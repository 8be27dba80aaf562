#include "gui/repaint_throttle.h"

#include "gui/dialogs/handler_edge.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

RepaintThrottle::RepaintThrottle(QWidget& window) : FWindow(window)
{
    FHeldBack.setSingleShot(true);
    FHeldBack.setTimerType(Qt::PreciseTimer);
    QObject::connect(&FHeldBack, &QTimer::timeout, AtHandlerEdge([this] { PaintHeldBack(); }));
}

bool RepaintThrottle::HoldBack(const QEvent& event)
{
    if (event.type() != QEvent::UpdateRequest)
        return false;
    const qint64 interval = PaintInterval.count();
    if (FPainting || !FSinceLastPaint.isValid() || FSinceLastPaint.elapsed() >= interval) {
        FSinceLastPaint.restart();
        return false;
    }
    // Qt sends no further request while this one is unanswered; the timer answers it.
    if (!FHeldBack.isActive())
        FHeldBack.start(static_cast<int>(interval - FSinceLastPaint.elapsed()));
    return true;
}

void RepaintThrottle::PaintHeldBack()
{
    FPainting = true;
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&FWindow, &request);
    FPainting = false;
}
