#include "gui/dialogs/security_image_view.h"

#include "core/web_address.h"
#include "gui/dialogs/handler_edge.h"
#include "net/ssl_session.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QSslConfiguration>

#include <openssl/ssl.h>

#include <fstream>
#include <sstream>

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
    // Every byte beyond ASCII goes in as its "%XX": QUrl would read one that is not UTF-8
    // as U+FFFD and ask the server for another address than the page gave.
    const std::string encoded = PercentEncodeBytes(address);
    const QUrl url = QUrl::fromEncoded(QByteArray(encoded.data(), static_cast<qsizetype>(encoded.size())),
                                       QUrl::TolerantMode);
    if (!IsWebScheme(url))
        throw ENavigationRefused("The security image cannot be shown: only http and https addresses are loaded, not \"" +
                                 address + "\".");
    // The program's client would not make an https connection without the authorities
    // it was told to trust, and neither does the picture area.
    if (url.scheme().toLower() == "https" && !FAuthorityProblem.empty())
        throw ENavigationRefused(FAuthorityProblem);
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
    FAuthorities.clear();
    FAuthorityProblem.clear();
    if (pemFile.empty())
        return;
    // The client's own check, so that a file it refuses is refused here in its words.
    try {
        SSL_CTX_free(NewClientContext(pemFile));
    } catch (const std::exception& unusable) {
        FAuthorityProblem = unusable.what();
        return;
    }
    // Read by its bytes: a file name need not be UTF-8.
    std::ifstream file(pemFile, std::ios::binary);
    std::ostringstream pem;
    pem << file.rdbuf();
    const std::string bytes = pem.str();
    FAuthorities = QSslCertificate::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), QSsl::Pem);
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
