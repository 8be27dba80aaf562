// bsSkinStatusBar1: panels side by side, placed by hand. A panel never sizes itself to
// its text (a longer text is cut off), so each panel is given a fixed size and a new
// status text is no layout change. A layout would ask every panel for the size of its
// text after each status text, shaping a whole URL several times per fetch.
#pragma once

#include <QFrame>

#include <vector>

class StatusBar : public QFrame {
public:
    explicit StatusBar(QWidget* parent);

    // Adds a panel to the right of those added before; width 0 gives the panel what the
    // others leave.
    void AddPanel(QWidget* panel, int width);
    // A hidden panel takes no room; the fill panel gives up what it needs.
    void ShowPanel(QWidget* panel, bool shown);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlacePanels();

    struct Placed {
        QWidget* Panel;
        int Width;
    };
    std::vector<Placed> FPanels;
};
