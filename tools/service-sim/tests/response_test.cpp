#include "response.h"
#include "wire.h"

#include <gtest/gtest.h>

namespace {

Response PageResponse(std::string body)
{
    Response response;
    response.Headers.emplace_back("Content-Type", "text/html");
    response.Body = std::move(body);
    return response;
}

TEST(ResponseTest, ContentLengthFramingKeepsOrClosesTheConnectionAsAsked)
{
    for (bool close : { false, true }) {
        WireResponse wire = EncodeResponse(PageResponse("hello"), Framing::ContentLength, close);
        EXPECT_EQ(wire.CloseAfter, close);
        std::string expected = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5\r\n";
        expected += close ? "Connection: close\r\n" : "";
        expected += "\r\nhello";
        EXPECT_EQ(wire.Bytes, expected);
    }
}

TEST(ResponseTest, ChunkedFramingSendsTheBodyInSeveralChunks)
{
    struct Case {
        std::string Body;
        int Chunks;
    };
    const Case cases[] = { { std::string(1000, 'x') + "end", 4 }, { "abc", 3 }, { "a", 1 }, { "", 0 } };
    for (const Case& c : cases) {
        WireResponse wire = EncodeResponse(PageResponse(c.Body), Framing::Chunked, false);
        EXPECT_FALSE(wire.CloseAfter);
        std::optional<WireMessage> message = SplitResponse(wire.Bytes);
        ASSERT_TRUE(message);
        EXPECT_EQ(message->Header("Transfer-Encoding").value_or(""), "chunked");
        EXPECT_FALSE(message->Header("Content-Length"));
        std::optional<ChunkedBody> body = DecodeChunked(message->RawBody);
        ASSERT_TRUE(body) << message->RawBody;
        EXPECT_EQ(body->Body, c.Body);
        EXPECT_EQ(body->ChunkCount, c.Chunks);
    }
}

TEST(ResponseTest, UntilCloseFramingHasNoLengthAndEndsTheConnection)
{
    WireResponse wire = EncodeResponse(PageResponse("hello"), Framing::UntilClose, false);
    EXPECT_TRUE(wire.CloseAfter);
    EXPECT_EQ(wire.Bytes, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\nhello");
}

TEST(ResponseTest, CloseMidBodyAnnouncesTheWholeBodyAndSendsHalf)
{
    WireResponse wire = EncodeResponse(PageResponse("0123456789"), Framing::CloseMidBody, false);
    EXPECT_TRUE(wire.CloseAfter);
    EXPECT_EQ(wire.Bytes, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 10\r\n\r\n01234");
}

TEST(ResponseTest, StatusesWithoutBodySendNone)
{
    for (int status : { 204, 304 }) {
        Response response = PageResponse("ignored");
        response.Status = status;
        for (Framing framing : { Framing::ContentLength, Framing::Chunked }) {
            WireResponse wire = EncodeResponse(response, framing, false);
            EXPECT_EQ(wire.Bytes, "HTTP/1.1 " + std::to_string(status) + " " + std::string(ReasonPhrase(status))
                    + "\r\nContent-Type: text/html\r\n\r\n");
        }
    }
}

TEST(ResponseTest, ReasonPhrases)
{
    EXPECT_EQ(ReasonPhrase(404), "Not Found");
    EXPECT_EQ(ReasonPhrase(503), "Service Unavailable");
    EXPECT_EQ(ReasonPhrase(299), "Unknown");
}

}
