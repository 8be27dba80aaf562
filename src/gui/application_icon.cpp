#include "gui/application_icon.h"

#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include <stdexcept>

void LoadApplicationIcon(const std::string& iconFile)
{
    QImageReader reader(QString::fromUtf8(iconFile), "ico");
    reader.setAutoDetectImageFormat(false);
    QIcon icon;
    do {
        const QImage size = reader.read();
        if (size.isNull())
            break;
        icon.addPixmap(QPixmap::fromImage(size));
    } while (reader.jumpToNextImage());
    if (icon.isNull())
        throw std::runtime_error("Cannot load the icon " + iconFile + ": " + reader.errorString().toStdString() + ".");
    QApplication::setWindowIcon(icon);
}
