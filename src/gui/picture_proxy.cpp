#include "gui/picture_proxy.h"

#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QUrl>

namespace {

class SettingsProxyFactory : public QNetworkProxyFactory {
public:
    explicit SettingsProxyFactory(ProxySettings settings) : FSettings(std::move(settings)) {}

    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        const std::string host = query.peerHostName().toStdString();
        if (FSettings.Proxies.empty() || BypassesProxy(host, FSettings.NoProxy))
            return {QNetworkProxy(QNetworkProxy::NoProxy)};
        const ProxyAddress& proxy = FSettings.Proxies.front();
        // Qt's SOCKS5 proxy always lets the proxy look the names up.
        const auto type = proxy.Scheme == ProxyScheme::Http ? QNetworkProxy::HttpProxy : QNetworkProxy::Socks5Proxy;
        return {QNetworkProxy(type, QString::fromStdString(proxy.Host), static_cast<quint16>(proxy.Port),
                              QString::fromUtf8(proxy.Username), QString::fromUtf8(proxy.Password))};
    }

private:
    const ProxySettings FSettings;
};

} // namespace

void RoutePicturesThroughProxy(const ProxySettings& settings)
{
    QNetworkProxyFactory::setApplicationProxyFactory(new SettingsProxyFactory(settings));
}
