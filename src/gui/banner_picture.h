// imgBanner: the still banner picture. It decodes the picture in the format it is told
// through Qt's image readers, sizes itself to the picture and reports clicks.
#pragma once

#include <QLabel>

#include <functional>
#include <string>

class BannerPicture : public QLabel {
public:
    explicit BannerPicture(QWidget* parent = nullptr);

    // Reads the file as `format` ("bmp", "jpeg", ...), or by its content when `format`
    // is empty. Raises BannerPictureError when the file does not decode; the control is
    // then unchanged.
    void LoadFromFile(const std::string& fileName, const std::string& format);

    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
