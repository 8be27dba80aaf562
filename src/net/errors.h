// The network layer's error tree. Every failure of the HTTP client is one of these
// classes, carrying the exact message text the user may see in the status bar or in
// the top-level error box; the client never returns error codes.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>

class EIdException : public std::runtime_error {
public:
    explicit EIdException(const std::string& message) : std::runtime_error(message) {}
};

// Raised by the run-time's strict integer conversions (a port text, a Content-Range
// number, a cookie port list item) when the text is not a number.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const std::string& text)
        : std::runtime_error("'" + text + "' is not a valid integer value") {}
};

// --- Connection (buffers, reads, writes, closing) ------------------------------------

class EIdSilentException : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdConnClosedGracefully : public EIdSilentException {
public:
    EIdConnClosedGracefully() : EIdSilentException("Connection Closed Gracefully.") {}
};

class EIdTCPConnectionError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdNotConnected : public EIdTCPConnectionError {
public:
    EIdNotConnected() : EIdTCPConnectionError("Not Connected") {}
};

class EIdNotEnoughDataInBuffer : public EIdTCPConnectionError {
public:
    EIdNotEnoughDataInBuffer() : EIdTCPConnectionError("Not enough data in buffer.") {}
};

class EIdNoDataToRead : public EIdTCPConnectionError {
public:
    EIdNoDataToRead() : EIdTCPConnectionError("No data to read.") {}
};

class EIdReadTimeout : public EIdException {
public:
    EIdReadTimeout() : EIdException("Read Timeout") {}
};

class EIdReadLnMaxLineLengthExceeded : public EIdException {
public:
    EIdReadLnMaxLineLengthExceeded() : EIdException("Max line length exceeded.") {}
};

class EIdClosedSocket : public EIdException {
public:
    EIdClosedSocket() : EIdException("Disconnected.") {}
};

class EIdAlreadyConnected : public EIdException {
public:
    EIdAlreadyConnected() : EIdException("Already connected.") {}
};

// --- Socket layer -----------------------------------------------------------------------

// "Socket Error # <number>", CR LF, then the error's text (empty for numbers the
// socket layer has no text for).
class EIdSocketError : public EIdException {
public:
    EIdSocketError(int socketErrorCode, const std::string& errorText)
        : EIdException("Socket Error # " + std::to_string(socketErrorCode) + "\r\n" + errorText),
          SocketErrorCode(socketErrorCode) {}

    int SocketErrorCode;
};

class EIdSocketHandleError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdCouldNotBindSocket : public EIdSocketHandleError {
public:
    EIdCouldNotBindSocket()
        : EIdSocketHandleError("Could not bind socket. Address and port are already in use.") {}
};

class EIdCanNotBindPortInRange : public EIdSocketHandleError {
public:
    EIdCanNotBindPortInRange(int portMin, int portMax)
        : EIdSocketHandleError("Can not bind in port range (" + std::to_string(portMin) + " - " +
                               std::to_string(portMax) + ")") {}
};

class EIdInvalidPortRange : public EIdSocketHandleError {
public:
    EIdInvalidPortRange(int portMin, int portMax)
        : EIdSocketHandleError("Invalid Port Range (" + std::to_string(portMin) + " - " +
                               std::to_string(portMax) + ")") {}
};

class EIdStackError : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdStackInitializationFailed : public EIdStackError {
public:
    EIdStackInitializationFailed() : EIdStackError("Winsock Initialization Error.") {}
};

class EIdStackSetSizeExceeded : public EIdStackError {
public:
    EIdStackSetSizeExceeded() : EIdStackError("Set Size Exceeded.") {}
};

class EIdInvalidSocket : public EIdException {
public:
    EIdInvalidSocket() : EIdException("Cannot allocate socket.") {}
};

// Kept for a build that binds a socket library at run time; the POSIX build links its
// socket calls directly and never raises it.
class EIdWS2StubError : public EIdException {
public:
    using EIdException::EIdException;
};

// --- Anti-freeze and connect wait ------------------------------------------------------

class EIdConnectTimeout : public EIdException {
public:
    EIdConnectTimeout() : EIdException("Connect timed out.") {}
};

// Carries the connect worker's error message unchanged.
class EIdConnectException : public EIdException {
public:
    using EIdException::EIdException;
};

// --- URL handling ----------------------------------------------------------------------

class EIdURIException : public EIdException {
public:
    using EIdException::EIdException;
};

class EIdUnknownProtocol : public EIdException {
public:
    EIdUnknownProtocol() : EIdException("") {}
};

// --- Header records ----------------------------------------------------------------------

class EIdFailedToRetreiveTimeZoneInfo : public EIdException {
public:
    EIdFailedToRetreiveTimeZoneInfo()
        : EIdException("Failed attempting to retrieve time zone information.") {}
};

// --- HTTP exchange -------------------------------------------------------------------------

class EIdProtocolReplyError : public EIdException {
public:
    using EIdException::EIdException;
};

// A status the client treats as a failure: the message is the status line as read.
class EIdHTTPProtocolException : public EIdProtocolReplyError {
public:
    EIdHTTPProtocolException(int replyCode, const std::string& statusLine, std::string bodyText)
        : EIdProtocolReplyError(statusLine), ReplyCode(replyCode), BodyText(std::move(bodyText)) {}

    int ReplyCode;
    std::string BodyText;
};

// The proxy asked for credentials it was not given, or refused those it was (407): the
// message names the proxy, so that the user knows which of a list failed.
class EIdProxyAuthenticationRequired : public EIdHTTPProtocolException {
public:
    using EIdHTTPProtocolException::EIdHTTPProtocolException;
};

class EIdIOHandlerPropInvalid : public EIdException {
public:
    EIdIOHandlerPropInvalid() : EIdException("IOHandler value is not valid") {}
};

// --- What the client refuses to send or to read on ----------------------------------------

// A request that cannot go on the wire as asked: a port outside 1-65535, a line break or
// NUL in the request target, a control character in the host or in a header line.
class EIdInvalidRequest : public EIdException {
public:
    using EIdException::EIdException;
};

// A response the client will not read on: a chunk size that is not a hexadecimal number
// or exceeds 2147483647, a head past its limit, too many interim responses.
class EIdInvalidResponse : public EIdException {
public:
    using EIdException::EIdException;
};
