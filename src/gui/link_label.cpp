#include "gui/link_label.h"

#include <QMouseEvent>
#include <QStyle>

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setProperty("link", true);
    setProperty("hovered", false);
}

void LinkLabel::SetHovered(bool hovered)
{
    // The skin colours the hovered state through this property.
    setProperty("hovered", hovered);
    style()->unpolish(this);
    style()->polish(this);
}

void LinkLabel::enterEvent(QEnterEvent* event)
{
    SetHovered(true);
    QLabel::enterEvent(event);
}

void LinkLabel::leaveEvent(QEvent* event)
{
    SetHovered(false);
    QLabel::leaveEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnOpen)
        OnOpen(FURL);
    QLabel::mouseReleaseEvent(event);
}
