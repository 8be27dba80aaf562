#include "gui/desktop_opener.h"

#include "core/web_address.h"

#include <QDesktopServices>

bool DesktopOpener::Open(const std::string& address)
{
    // False when the desktop has no program for the address, or none could be started.
    return QDesktopServices::openUrl(BrowserUrl(address));
}

QUrl BrowserUrl(const std::string& address)
{
    // QUrl reads its input as UTF-8 and would replace a byte that is not UTF-8 (a Latin-1
    // letter, say) with U+FFFD; encoding every such byte first keeps the byte itself.
    const std::string encoded = PercentEncodeBytes(address);
    return QUrl::fromEncoded(QByteArray(encoded.data(), static_cast<qsizetype>(encoded.size())), QUrl::TolerantMode);
}
