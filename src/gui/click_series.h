// Tells the clicks of one double or triple click apart from separate clicks, by the
// window system's own times of the presses. A double-click on "Stop" is one stop: when
// the stopped run has returned before its second press arrives (a quick server), that
// press must not start a new run and open the search type dialog.
#pragma once

#include <QObject>

#include <optional>

class QWidget;

class ClickSeries : public QObject {
public:
    // Watches the presses on the button.
    explicit ClickSeries(QWidget& button);

    // Call first in the button's click handler: whether this click follows a click marked
    // as a stop within the double-click interval (the second or third click of a multiple
    // click). A click made by code has no press and follows nothing.
    bool FollowsStop();
    // Marks the click being handled as a stop.
    void MarkStop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<quint64> FPress;     // the latest press on the button
    std::optional<quint64> FHandled;   // the press of the click being handled
    std::optional<quint64> FStopPress; // the press of the latest stop click
};
