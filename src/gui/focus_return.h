// The keyboard comes back to a dialog's window when the dialog closes. A window manager
// does that; without one (a bare X server, a kiosk) the keyboard would reach no window
// after the first question, and a user working by keyboard alone would be stranded.
#pragma once

#include <QObject>

class FocusReturn : public QObject {
public:
    // Watches every dialog of the application from now on.
    explicit FocusReturn(QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
