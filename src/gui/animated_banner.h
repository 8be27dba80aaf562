// gifBanner: the animated banner. It plays a GIF in an endless loop, sizes itself to the
// picture and reports clicks.
#pragma once

#include <QLabel>

#include <functional>
#include <string>

class QMovie;

class AnimatedBanner : public QLabel {
public:
    explicit AnimatedBanner(QWidget* parent = nullptr);

    // Starts the animation of the file. Raises BannerPictureError when it cannot be read;
    // the control is then unchanged.
    void LoadFromFile(const std::string& fileName);

    QMovie* Movie() const { return FMovie; }

    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QMovie* FMovie = nullptr;
};
