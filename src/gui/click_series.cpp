#include "gui/click_series.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QWidget>

#include <utility>

ClickSeries::ClickSeries(QWidget& button) : QObject(&button)
{
    button.installEventFilter(this);
}

bool ClickSeries::eventFilter(QObject*, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        FPress = static_cast<QMouseEvent*>(event)->timestamp();
    return false;
}

bool ClickSeries::FollowsStop()
{
    FHandled = std::exchange(FPress, std::nullopt);
    if (!FHandled || !FStopPress)
        return false;
    const qint64 gap = static_cast<qint64>(*FHandled) - static_cast<qint64>(*FStopPress);
    if (gap < 0 || gap > QGuiApplication::styleHints()->mouseDoubleClickInterval())
        return false;
    // The third click of a triple click follows the second.
    FStopPress = FHandled;
    return true;
}

void ClickSeries::MarkStop()
{
    FStopPress = FHandled;
}
