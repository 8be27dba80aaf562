// Opens web pages in the user's browser through the desktop (QDesktopServices): the
// address reaches the browser as one argument, never through a shell.
#pragma once

#include "core/web_pages.h"

#include <QUrl>

class DesktopOpener : public WebPageOpener {
public:
    bool Open(const std::string& address) override;
};

// The address as the URL handed to the desktop. Its bytes come out of toEncoded() as
// written, except what may not stand in an address as it is: bytes outside printable
// ASCII and a few characters such as space, '"', '<' are percent-encoded (each byte as
// it is, never re-read as text), and the parts a URL reads without regard to case or
// encoding (scheme, host, "%7e" for "~") are written in their usual form.
QUrl BrowserUrl(const std::string& address);
