#include "support/gui/url_recorder.h"

#include <QDesktopServices>

UrlRecorder::UrlRecorder(QStringList schemes) : FSchemes(std::move(schemes))
{
    for (const QString& scheme : FSchemes)
        QDesktopServices::setUrlHandler(scheme, this, "Record");
}

UrlRecorder::~UrlRecorder()
{
    for (const QString& scheme : FSchemes)
        QDesktopServices::unsetUrlHandler(scheme);
}

void UrlRecorder::Record(const QUrl& url)
{
    Opened.push_back(url.toEncoded());
}
