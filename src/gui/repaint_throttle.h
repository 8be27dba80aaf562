// Coalesces the repaints of the main window. During a run every fetch changes the
// status text, the gauge and a cell, and every message pump would paint them and hand
// the picture to the window system, waiting for it each time: that cost more than the
// fetch itself. Here a paint follows the last one only after PaintInterval; what changes
// meanwhile is painted together when the interval is over, by the first message pump
// after it. Texts, values and cells change at once; only their pixels wait.
#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>

class QEvent;
class QWidget;

class RepaintThrottle {
public:
    // At most one paint per interval: smooth to the eye, and a changed cell is on the
    // screen well within 50 ms as long as a pump comes at least every 30 ms.
    static constexpr std::chrono::milliseconds PaintInterval{16};

    explicit RepaintThrottle(QWidget& window);

    // For the window's event(): true when the event is an update request held back for
    // later; the window then does not paint now.
    bool HoldBack(const QEvent& event);

private:
    void PaintHeldBack();

    QWidget& FWindow;
    QTimer FHeldBack;
    QElapsedTimer FSinceLastPaint;
    bool FPainting = false;
};
