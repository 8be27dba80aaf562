#include "app/link_label.h"

#include <QMouseEvent>
#include <QStyle>

TLinkLabel::TLinkLabel(QWidget* parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setProperty("link", true);
    setProperty("hovered", false);
}

void TLinkLabel::SetHovered(bool hovered)
{
    // The skin colours the hovered state through this property.
    setProperty("hovered", hovered);
    style()->unpolish(this);
    style()->polish(this);
}

void TLinkLabel::enterEvent(QEnterEvent* event)
{
    SetHovered(true);
    QLabel::enterEvent(event);
}

void TLinkLabel::leaveEvent(QEvent* event)
{
    SetHovered(false);
    QLabel::leaveEvent(event);
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnOpen)
        OnOpen(FURL);
    QLabel::mouseReleaseEvent(event);
}
