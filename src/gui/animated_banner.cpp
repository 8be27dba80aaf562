#include "gui/animated_banner.h"

#include "core/branding.h"

#include <QMouseEvent>
#include <QMovie>

AnimatedBanner::AnimatedBanner(QWidget* parent) : QLabel(parent) {}

void AnimatedBanner::LoadFromFile(const std::string& fileName)
{
    auto* movie = new QMovie(QString::fromUtf8(fileName), "gif", this);
    // A GIF names its own number of loops (often one); the banner loops whatever it
    // says. A single picture is shown once: restarting it would only spin.
    if (movie->frameCount() > 1)
        connect(movie, &QMovie::finished, movie, &QMovie::start);
    movie->start();
    if (!movie->isValid() || movie->currentPixmap().isNull()) {
        const std::string reason = movie->lastErrorString().toStdString();
        delete movie;
        throw BannerPictureError("Cannot show the banner picture " + fileName + " as gif: " + reason + ".");
    }
    setMovie(movie);
    delete FMovie;
    FMovie = movie;
    resize(movie->currentPixmap().size());
}

void AnimatedBanner::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && OnClick)
        OnClick();
}
