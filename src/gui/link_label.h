// A link caption: underlined, hand cursor, and a colour of its own while the mouse is
// over it (the skin's, or blue when the skin names none); a click opens its URL. Tab
// reaches it (a focus frame shows it), and Space or Enter opens it.
#pragma once

#include <QColor>
#include <QLabel>

#include <string>

class WebPageOpener;

class LinkLabel : public QLabel {
public:
    LinkLabel(WebPageOpener& opener, QWidget* parent = nullptr);

    const std::string& URL() const { return FURL; }
    void SetURL(std::string url) { FURL = std::move(url); }

    // The colour the caption is drawn in now.
    QColor TextColour() const;

    // Sizes the label to its caption; a right-aligned label keeps its right edge. Done
    // again whenever the skin changes the font.
    void FitToText();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void SetHovered(bool hovered);

    WebPageOpener& FOpener;
    std::string FURL;
    bool FHovered = false;
    QColor FColourOffHover;
};
