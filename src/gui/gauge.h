// The status bar's progress gauge: a value between 0 and a maximum, shown with its
// percentage.
#pragma once

#include <QProgressBar>

class Gauge : public QProgressBar {
public:
    explicit Gauge(QWidget* parent = nullptr);

    // The value is kept within 0 and the maximum.
    void SetProgress(int value);
    // A maximum below the value lowers the value; a maximum of 0 is an empty bar.
    void SetMaxValue(int maximum);
    int Progress() const { return FProgress; }
    int MaxValue() const { return FMaxValue; }

private:
    void Show();

    int FProgress = 0;
    int FMaxValue = 100;
};
