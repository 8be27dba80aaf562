#include "gui/link_label.h"

#include "core/web_pages.h"
#include "gui/dialogs/handler_edge.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

LinkLabel::LinkLabel(WebPageOpener& opener, QWidget* parent) : QLabel(parent), FOpener(opener)
{
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::TabFocus);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    // The skin selects links with [link="true"] and the hovered state with [hovered="true"].
    setProperty("link", true);
    setProperty("hovered", false);
}

void LinkLabel::SetHovered(bool hovered)
{
    // Qt may report the mouse entering twice (when a modal dialog over the label closes).
    if (hovered == FHovered)
        return;
    if (hovered)
        FColourOffHover = palette().color(foregroundRole());
    FHovered = hovered;
    setProperty("hovered", hovered);
    style()->unpolish(this);
    style()->polish(this);
    update();
}

QColor LinkLabel::TextColour() const
{
    const QColor skinColour = palette().color(foregroundRole());
    // A skin without a colour of its own for a hovered link leaves it as it was.
    if (FHovered && skinColour == FColourOffHover)
        return QColor(Qt::blue);
    return skinColour;
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
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        AtHandlerEdge([this] { OpenInBrowser(FOpener, FURL); })();
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        OpenInBrowser(FOpener, FURL);
        break;
    default:
        QLabel::keyPressEvent(event);
    }
}

void LinkLabel::paintEvent(QPaintEvent* event)
{
    // Frame and skin background as any label; the caption in the link's own colour,
    // always underlined whatever font the skin gives.
    QFrame::paintEvent(event);
    QPainter painter(this);
    QFont underlined = font();
    underlined.setUnderline(true);
    painter.setFont(underlined);
    painter.setPen(TextColour());
    painter.drawText(contentsRect(), static_cast<int>(alignment()) | Qt::TextSingleLine, text());
    if (hasFocus()) {
        // Drawn here, not by the skin: a skin cannot forget it.
        QPen dotted(TextColour(), 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void LinkLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FitToText();
}

void LinkLabel::FitToText()
{
    const int right = x() + width();
    adjustSize();
    if (alignment() & Qt::AlignRight)
        move(right - width(), y());
}
