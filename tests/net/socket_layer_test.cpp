#include "net/errors.h"
#include "net/socket_layer.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

// Keeps the socket layer alive for the test.
class SocketLayer : public testing::Test {
protected:
    TIdStack& Stack() { return *TIdStack::StackInstance(); }

    TIdComponent FUser;
};

} // namespace

TEST(IsIPv4Text, AcceptsFourNumbersUpTo255)
{
    const struct {
        const char* text;
        bool isIPv4;
    } cases[] = {
        {"127.0.0.1", true},   {"10.0.0.1", true},  {"255.255.255.255", true}, {"0.0.0.0", true},
        {"001.2.3.4", true},   {"1.2.3", false},    {"1.2.3.4.5", false},      {"256.1.1.1", false},
        {"1.2.3.256", false},  {"1.2..4", false},   {"1.2.3.", false},         {"a.b.c.d", false},
        {"localhost", false},  {"", false},         {"1.2.3.-4", false},       {"1.2.3.4 ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TIdStack::IsIPv4Text(c.text), c.isIPv4) << c.text;
}

TEST_F(SocketLayer, LookupHostAnswersLocalhostAndAddressesItself)
{
    EXPECT_EQ(Stack().LookupHost("localhost"), "127.0.0.1");
    EXPECT_EQ(Stack().LookupHost("LOCALHOST"), "127.0.0.1");
    EXPECT_EQ(Stack().LookupHost("10.0.0.1"), "10.0.0.1");
}

TEST_F(SocketLayer, AFailedLookupIsHostNotFound)
{
    try {
        Stack().LookupHost("no such host");
        FAIL();
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode, 11001);
        EXPECT_STREQ(error.what(), "Socket Error # 11001\r\nHost not found.");
    }
    EXPECT_EQ(Stack().WSGetLastError(), 11001);
}

TEST(SocketErrors, PlatformErrorsMapOntoWinSockNumbers)
{
    const struct {
        int platform;
        int winsock;
    } cases[] = {
        {EINTR, 10004},        {EBADF, 10009},           {EACCES, 10013},        {EFAULT, 10014},
        {EINVAL, 10022},       {EMFILE, 10024},          {EWOULDBLOCK, 10035},   {EAGAIN, 10035},
        {EINPROGRESS, 10036},  {EALREADY, 10037},        {ENOTSOCK, 10038},      {EDESTADDRREQ, 10039},
        {EMSGSIZE, 10040},     {EPROTOTYPE, 10041},      {ENOPROTOOPT, 10042},   {EPROTONOSUPPORT, 10043},
        {EOPNOTSUPP, 10045},   {EAFNOSUPPORT, 10047},    {EADDRINUSE, 10048},    {EADDRNOTAVAIL, 10049},
        {ENETDOWN, 10050},     {ENETUNREACH, 10051},     {ENETRESET, 10052},     {ECONNABORTED, 10053},
        {ECONNRESET, 10054},   {ENOBUFS, 10055},         {EISCONN, 10056},       {ENOTCONN, 10057},
        {EPIPE, 10058},        {ESHUTDOWN, 10058},       {ETIMEDOUT, 10060},     {ECONNREFUSED, 10061},
        {ELOOP, 10062},        {ENAMETOOLONG, 10063},    {EHOSTDOWN, 10064},     {EHOSTUNREACH, 10065},
        {ENOTEMPTY, 10066},    {ESOCKTNOSUPPORT, 10044}, {EPFNOSUPPORT, 10046},  {ETOOMANYREFS, 10059},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TIdStack::WinSockErrorNumber(c.platform), c.winsock) << "errno " << c.platform;
    EXPECT_EQ(TIdStack::WinSockErrorNumber(ENOMEM), ENOMEM) << "an unknown value is kept";
}

TEST(SocketErrors, EveryNumberHasItsText)
{
    const struct {
        int number;
        const char* text;
    } cases[] = {
        {10004, "Interrupted system call."},
        {10009, "Bad file number."},
        {10013, "Access denied."},
        {10014, "Bad address."},
        {10022, "Invalid argument."},
        {10024, "Too many open files."},
        {10035, "Operation would block. "},
        {10036, "Operation now in progress."},
        {10037, "Operation already in progress."},
        {10038, "Socket operation on non-socket."},
        {10039, "Destination address required."},
        {10040, "Message too long."},
        {10041, "Protocol wrong type for socket."},
        {10042, "Bad protocol option."},
        {10043, "Protocol not supported."},
        {10044, "Socket type not supported."},
        {10045, "Operation not supported on socket."},
        {10046, "Protocol family not supported."},
        {10047, "Address family not supported by protocol family."},
        {10048, "Address already in use."},
        {10049, "Cannot assign requested address."},
        {10050, "Network is down."},
        {10051, "Network is unreachable."},
        {10052, "Net dropped connection or reset."},
        {10053, "Software caused connection abort."},
        {10054, "Connection reset by peer."},
        {10055, "No buffer space available."},
        {10056, "Socket is already connected."},
        {10057, "Socket is not connected."},
        {10058, "Cannot send or receive after socket is closed."},
        {10059, "Too many references, cannot splice."},
        {10060, "Connection timed out."},
        {10061, "Connection refused."},
        {10062, "Too many levels of symbolic links."},
        {10063, "File name too long."},
        {10064, "Host is down."},
        {10065, "No route to host."},
        {10066, "Directory not empty"},
        {11001, "Host not found."},
        {10000, ""},
        {12, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TIdStack::SocketErrorText(c.number), c.text) << c.number;
}

TEST_F(SocketLayer, CheckSocketResultRaisesUnlessTheErrorIsTolerated)
{
    EXPECT_FALSE(Stack().CheckSocketResult(0));
    Stack().SetLastError(10038);
    EXPECT_TRUE(Stack().CheckSocketResult(-1, {10009, 10038}));
    Stack().SetLastError(10099);
    try {
        Stack().CheckSocketResult(-1, {10009, 10038});
        FAIL();
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode, 10099);
        EXPECT_STREQ(error.what(), "Socket Error # 10099\r\n");
    }
}

TEST_F(SocketLayer, BindLocalPortRangeRules)
{
    ScriptedServer server({Script{}});
    const int inUse = server.Port();
    const int free = RefusingPort();

    TIdSocketHandle handle;
    handle.AllocateHandle();
    handle.IP = "127.0.0.1";
    handle.ClientPortMin = 5;
    handle.ClientPortMax = 3;
    try {
        handle.BindLocal();
        FAIL();
    } catch (const EIdInvalidPortRange& error) {
        EXPECT_STREQ(error.what(), "Invalid Port Range (5 - 3)");
    }

    handle.ClientPortMin = inUse;
    handle.ClientPortMax = inUse;
    try {
        handle.BindLocal();
        FAIL();
    } catch (const EIdCanNotBindPortInRange& error) {
        EXPECT_EQ(error.what(), "Can not bind in port range (" + std::to_string(inUse) + " - " + std::to_string(inUse) + ")");
    }

    handle.ClientPortMin = free;
    handle.ClientPortMax = free;
    handle.BindLocal();
    EXPECT_EQ(handle.Port, free);
    EXPECT_EQ(handle.IP, "127.0.0.1");
}

TEST_F(SocketLayer, ASinglePortTakesPrecedenceOverTheRange)
{
    ScriptedServer server({Script{}});
    TIdSocketHandle handle;
    handle.AllocateHandle();
    handle.IP = "127.0.0.1";
    handle.Port = server.Port();
    handle.ClientPortMin = 5;
    handle.ClientPortMax = 3;
    EXPECT_THROW(handle.BindLocal(), EIdCouldNotBindSocket);

    handle.AllocateHandle();
    handle.Port = 0;
    handle.ClientPortMin = 0;
    handle.BindLocal();
    // Port 0 is the system's choice, made at connect time for the peer at hand, so that
    // closed connections still waiting out their time do not use up the local ports.
    EXPECT_EQ(handle.Port, 0);
    handle.SetPeerAddress("127.0.0.1", server.Port());
    ASSERT_EQ(handle.ConnectToPeer(), 0);
    EXPECT_NE(handle.Port, 0) << "read back after the connect";
}

TEST_F(SocketLayer, AReleasedHandleHoldsNoSocket)
{
    TIdSocketHandle handle;
    EXPECT_FALSE(handle.Allocated());
    handle.AllocateHandle();
    EXPECT_TRUE(handle.Allocated());
    EXPECT_GE(handle.SocketValue(), 0);
    handle.ReleaseHandle();
    EXPECT_FALSE(handle.Allocated());
    EXPECT_EQ(handle.SocketValue(), -1);
    try {
        handle.PollReadable(0);
        FAIL();
    } catch (const EIdConnClosedGracefully& error) {
        EXPECT_STREQ(error.what(), "Connection Closed Gracefully.");
    }
}
