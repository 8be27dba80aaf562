// Socket error numbers and texts. The program reports every socket failure with its
// WinSock number and text; this one table maps the platform's errno values onto them,
// so a WinSock build only has to drop the platform column.
#include "net/errors.h"
#include "net/socket_layer.h"

#include <cerrno>

namespace {

struct SocketErrorEntry {
    int WinSockNumber;
    int PlatformError; // 0: no platform errno value maps here
    const char* Text;
};

constexpr SocketErrorEntry SocketErrors[] = {
    {10004, EINTR, "Interrupted system call."},
    {WSAEBADF, EBADF, "Bad file number."},
    {10013, EACCES, "Access denied."},
    {10014, EFAULT, "Bad address."},
    {10022, EINVAL, "Invalid argument."},
    {10024, EMFILE, "Too many open files."},
    {10035, EWOULDBLOCK, "Operation would block. "},
    {10035, EAGAIN, "Operation would block. "},
    {10036, EINPROGRESS, "Operation now in progress."},
    {10037, EALREADY, "Operation already in progress."},
    {WSAENOTSOCK, ENOTSOCK, "Socket operation on non-socket."},
    {10039, EDESTADDRREQ, "Destination address required."},
    {10040, EMSGSIZE, "Message too long."},
    {10041, EPROTOTYPE, "Protocol wrong type for socket."},
    {10042, ENOPROTOOPT, "Bad protocol option."},
    {10043, EPROTONOSUPPORT, "Protocol not supported."},
    {10044, ESOCKTNOSUPPORT, "Socket type not supported."},
    {10045, EOPNOTSUPP, "Operation not supported on socket."},
    {10046, EPFNOSUPPORT, "Protocol family not supported."},
    {10047, EAFNOSUPPORT, "Address family not supported by protocol family."},
    {WSAEADDRINUSE, EADDRINUSE, "Address already in use."},
    {10049, EADDRNOTAVAIL, "Cannot assign requested address."},
    {10050, ENETDOWN, "Network is down."},
    {10051, ENETUNREACH, "Network is unreachable."},
    {10052, ENETRESET, "Net dropped connection or reset."},
    {WSAECONNABORTED, ECONNABORTED, "Software caused connection abort."},
    {WSAECONNRESET, ECONNRESET, "Connection reset by peer."},
    {10055, ENOBUFS, "No buffer space available."},
    {10056, EISCONN, "Socket is already connected."},
    {10057, ENOTCONN, "Socket is not connected."},
    {WSAESHUTDOWN, ESHUTDOWN, "Cannot send or receive after socket is closed."},
    {WSAESHUTDOWN, EPIPE, "Cannot send or receive after socket is closed."},
    {10059, ETOOMANYREFS, "Too many references, cannot splice."},
    {10060, ETIMEDOUT, "Connection timed out."},
    {10061, ECONNREFUSED, "Connection refused."},
    {10062, ELOOP, "Too many levels of symbolic links."},
    {10063, ENAMETOOLONG, "File name too long."},
    {10064, EHOSTDOWN, "Host is down."},
    {10065, EHOSTUNREACH, "No route to host."},
    {10066, ENOTEMPTY, "Directory not empty"},
    {WSAHOST_NOT_FOUND, 0, "Host not found."},
};

thread_local int LastSocketError = 0;

} // namespace

std::string TIdStack::SocketErrorText(int errorNumber)
{
    for (const SocketErrorEntry& entry : SocketErrors) {
        if (entry.WinSockNumber == errorNumber)
            return entry.Text;
    }
    return {};
}

int TIdStack::WinSockErrorNumber(int platformError)
{
    for (const SocketErrorEntry& entry : SocketErrors) {
        if (entry.PlatformError != 0 && entry.PlatformError == platformError)
            return entry.WinSockNumber;
    }
    return platformError;
}

int TIdStack::WSGetLastError() const
{
    return LastSocketError;
}

void TIdStack::SetLastError(int errorNumber)
{
    LastSocketError = errorNumber;
}

void TIdStack::ThrowSocketError(int errorNumber)
{
    throw EIdSocketError(errorNumber, SocketErrorText(errorNumber));
}

bool TIdStack::CheckSocketResult(int result, std::initializer_list<int> tolerated)
{
    if (result != -1)
        return false;
    const int error = WSGetLastError();
    for (int number : tolerated) {
        if (number == error)
            return true;
    }
    ThrowSocketError(error);
}
