#include "gui/banner_picture.h"

#include "core/branding.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>

BannerPicture::BannerPicture(QWidget* parent) : QLabel(parent) {}

void BannerPicture::LoadFromFile(const std::string& fileName, const std::string& format)
{
    QImageReader reader(QString::fromUtf8(fileName), QByteArray::fromStdString(format));
    // A named format is the only one tried, as the banner's extension says; without one
    // the content decides (the stored file's own name says nothing).
    reader.setAutoDetectImageFormat(format.empty());
    reader.setDecideFormatFromContent(format.empty());
    const QImage picture = reader.read();
    if (picture.isNull())
        throw BannerPictureError("Cannot show the banner picture " + fileName +
                                 (format.empty() ? "" : " as " + format) + ": " +
                                 reader.errorString().toStdString() + ".");
    setPixmap(QPixmap::fromImage(picture));
    resize(picture.size());
}

void BannerPicture::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
}
