#include "gui/gauge.h"

#include <algorithm>

Gauge::Gauge(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(true);
    setFormat("%p%");
    setAlignment(Qt::AlignCenter);
    Show();
}

void Gauge::SetProgress(int value)
{
    FProgress = std::clamp(value, 0, FMaxValue);
    Show();
}

void Gauge::SetMaxValue(int maximum)
{
    FMaxValue = std::max(0, maximum);
    FProgress = std::min(FProgress, FMaxValue);
    Show();
}

void Gauge::Show()
{
    // A Qt progress bar with an empty range shows a busy animation; an empty range here
    // means nothing to show, so it is drawn as 0 of 1.
    const int shownMaximum = std::max(1, FMaxValue);
    if (maximum() != shownMaximum)
        setRange(0, shownMaximum);
    setValue(FProgress);
}
