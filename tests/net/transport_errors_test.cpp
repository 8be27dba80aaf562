// Receive and send failures that a loopback peer cannot produce on demand, through a
// transport whose calls fail with a chosen socket error number.
#include "net/connection.h"
#include "net/errors.h"
#include "net/socket_layer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

class FailingTransport : public TIdIOHandler {
public:
    bool SocketOpen() override { return open; }
    void ShutSocket() override { open = false; }
    bool WaitReadable(int32_t) override { return true; }
    int32_t ReceiveSome(void* memory, int32_t length) override
    {
        if (!pending.empty()) {
            const int32_t n = std::min<int32_t>(length, static_cast<int32_t>(pending.size()));
            std::memcpy(memory, pending.data(), static_cast<size_t>(n));
            pending.erase(0, static_cast<size_t>(n));
            return n;
        }
        TIdStack::StackInstance()->SetLastError(error);
        return -1;
    }
    int32_t SendSome(const void*, int32_t) override
    {
        TIdStack::StackInstance()->SetLastError(error);
        return -1;
    }

    bool open = true;
    std::string pending;
    int error = 0;
};

struct ErrorCase {
    int error;
    bool countsAsClose;
};

class TransportErrors : public testing::TestWithParam<ErrorCase> {
protected:
    void SetUp() override
    {
        transport->error = GetParam().error;
        connection.SetIOHandler(transport);
    }

    std::shared_ptr<FailingTransport> transport = std::make_shared<FailingTransport>();
    TIdTCPConnection connection;
};

std::string SocketErrorMessage(int error)
{
    return "Socket Error # " + std::to_string(error) + "\r\n" + TIdStack::SocketErrorText(error);
}

} // namespace

// 10053 and 10058 on a receive count as the peer's close: raised only when nothing is
// buffered. Every other number raises at once.
TEST_P(TransportErrors, AFailedReceiveWithNothingBufferedRaisesTheSocketError)
{
    try {
        connection.ReadLine();
        FAIL();
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.SocketErrorCode, GetParam().error);
        EXPECT_EQ(error.what(), SocketErrorMessage(GetParam().error));
    }
    EXPECT_EQ(transport->open, !GetParam().countsAsClose) << "a close drops the socket";
}

TEST_P(TransportErrors, AFailedReceiveWithBytesBuffered)
{
    transport->pending = "partial";
    if (GetParam().countsAsClose) {
        EXPECT_EQ(connection.ReadLine(), "");
        EXPECT_TRUE(connection.LineAborted());
        EXPECT_EQ(connection.InputBuffer().Size(), 7);
        EXPECT_THROW(connection.ReadLine(), EIdConnClosedGracefully);
    } else {
        EXPECT_THROW(connection.ReadLine(), EIdSocketError);
        EXPECT_TRUE(transport->open);
    }
}

// 10053, 10054 and 10058 on a send release the socket before the error is raised.
TEST_P(TransportErrors, AFailedSend)
{
    try {
        connection.WriteLine("x");
        FAIL();
    } catch (const EIdSocketError& error) {
        EXPECT_EQ(error.what(), SocketErrorMessage(GetParam().error));
    }
    const bool drops = GetParam().countsAsClose || GetParam().error == 10054;
    EXPECT_EQ(transport->open, !drops);
    EXPECT_EQ(connection.PeerClosed(), drops);
}

INSTANTIATE_TEST_SUITE_P(Connection, TransportErrors,
                         testing::Values(ErrorCase{10053, true}, ErrorCase{10058, true}, ErrorCase{10054, false},
                                         ErrorCase{10055, false}),
                         [](const testing::TestParamInfo<ErrorCase>& info) { return std::to_string(info.param.error); });
