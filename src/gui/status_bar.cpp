#include "gui/status_bar.h"

#include <algorithm>

StatusBar::StatusBar(QWidget* parent) : QFrame(parent) {}

void StatusBar::AddPanel(QWidget* panel, int width)
{
    FPanels.push_back({panel, width});
    PlacePanels();
}

void StatusBar::ShowPanel(QWidget* panel, bool shown)
{
    panel->setVisible(shown);
    PlacePanels();
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    PlacePanels();
}

void StatusBar::PlacePanels()
{
    int fixed = 0;
    for (const Placed& placed : FPanels)
        if (!placed.Panel->isHidden())
            fixed += placed.Width;
    const int fill = std::max(0, width() - fixed);
    int left = 0;
    for (const Placed& placed : FPanels) {
        if (placed.Panel->isHidden())
            continue;
        const int panelWidth = placed.Width > 0 ? placed.Width : fill;
        placed.Panel->setFixedSize(panelWidth, height());
        placed.Panel->move(left, 0);
        left += panelWidth;
    }
}
