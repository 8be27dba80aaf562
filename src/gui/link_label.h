// A link caption: underlined, hand cursor, blue while the mouse is over it; a click
// asks for its URL to be opened.
#pragma once

#include <QLabel>

#include <functional>
#include <string>

class LinkLabel : public QLabel {
public:
    explicit LinkLabel(QWidget* parent = nullptr);

    const std::string& URL() const { return FURL; }
    void SetURL(std::string url) { FURL = std::move(url); }

    std::function<void(const std::string& url)> OnOpen;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetHovered(bool hovered);

    std::string FURL;
};
