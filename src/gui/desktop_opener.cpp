#include "gui/desktop_opener.h"

#include <QDesktopServices>

void DesktopOpener::Open(const std::string& address)
{
    // Whether a browser started is not examined: nothing is reported either way.
    QDesktopServices::openUrl(BrowserUrl(address));
}

QUrl BrowserUrl(const std::string& address)
{
    // QUrl reads its input as UTF-8 and would replace a byte that is not UTF-8 (a Latin-1
    // letter, say) with U+FFFD; encoding every such byte first keeps the byte itself.
    static const char hex[] = "0123456789ABCDEF";
    QByteArray encoded;
    encoded.reserve(static_cast<qsizetype>(address.size()));
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F) {
            encoded += '%';
            encoded += hex[byte >> 4];
            encoded += hex[byte & 0x0F];
        } else {
            encoded += c;
        }
    }
    return QUrl::fromEncoded(encoded, QUrl::TolerantMode);
}
