#include "gui/dialogs/security_image_view.h"

#include "gui/dialogs/handler_edge.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QSslConfiguration>

namespace {

// As many as a browser would follow for one picture, and no more.
constexpr int MaximumRedirects = 5;

bool IsWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == "http" || scheme == "https";
}

} // namespace

SecurityImageView::SecurityImageView(QWidget* parent) : QLabel(parent), FNetwork(new QNetworkAccessManager(this))
{
    setAlignment(Qt::AlignCenter);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName("Security image");
}

SecurityImageView::~SecurityImageView()
{
    if (FReply) {
        FReply->disconnect(this);
        FReply->abort();
    }
}

void SecurityImageView::Navigate(const std::string& address)
{
    Clear();
    FAddress.clear();
    if (address.empty())
        return;
    const QUrl url(QString::fromUtf8(address));
    if (!IsWebScheme(url))
        throw ENavigationRefused("The security image cannot be shown: only http and https addresses are loaded, not \"" +
                                 address + "\".");
    FAddress = url;
    Load();
}

void SecurityImageView::Refresh()
{
    if (!FAddress.isEmpty())
        Load();
}

void SecurityImageView::TrustAuthorities(const std::string& pemFile)
{
    FAuthorities = pemFile.empty() ? QList<QSslCertificate>()
                                   : QSslCertificate::fromPath(QString::fromUtf8(pemFile), QSsl::Pem);
}

bool SecurityImageView::HasPicture() const
{
    return !pixmap().isNull();
}

void SecurityImageView::Load()
{
    if (FReply) {
        FReply->disconnect(this);
        FReply->abort();
        FReply = nullptr;
    }
    QNetworkRequest request(FAddress);
    // Qt follows redirects to http and https addresses only (never to a file), and
    // never from https down to http.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(MaximumRedirects);
    // Refresh means a new picture from the server, never a cached one.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    if (!FAuthorities.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(FAuthorities);
        request.setSslConfiguration(tls);
    }
    QNetworkReply* reply = FNetwork->get(request);
    FReply = reply;
    connect(reply, &QNetworkReply::downloadProgress, this, AtHandlerEdge<qint64, qint64>([reply](qint64 received, qint64) {
                if (received > MaximumPictureBytes)
                    reply->abort();
            }));
    connect(reply, &QNetworkReply::finished, this, AtHandlerEdge([this, reply] { Finished(reply); }));
}

void SecurityImageView::Finished(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply != FReply)
        return;
    FReply = nullptr;
    QImage picture;
    if (reply->error() == QNetworkReply::NoError) {
        const QByteArray bytes = reply->readAll();
        QBuffer buffer;
        buffer.setData(bytes);
        QImageReader reader(&buffer);
        reader.setAllocationLimit(MaximumDecodedMegabytes);
        picture = reader.read();
    }
    if (picture.isNull()) {
        Clear();
        return;
    }
    // A picture larger than the area is shown whole, made smaller; a smaller one as it is.
    if (picture.width() > contentsRect().width() || picture.height() > contentsRect().height())
        picture = picture.scaled(contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    setPixmap(QPixmap::fromImage(picture));
}

void SecurityImageView::Clear()
{
    clear();
}
