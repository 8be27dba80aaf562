// The suggestion service of the real program over raw sockets, one connection per
// request as the program makes them: the challenge and its cookie, the picture fetched
// by another client, the answer, and the command-line options.
#include "challenge.h"
#include "marker_cut.h"
#include "png_reader.h"
#include "raw_client.h"
#include "support/net/request_head.h"
#include "support/sim/simulator_process.h"
#include "wire.h"

#include <gtest/gtest.h>

namespace {

WireMessage Fetch(uint16_t port, const std::string& target, const std::string& extraHeaders = "")
{
    RawClient client(port);
    EXPECT_TRUE(client.Connected());
    client.Send(ProgramRequestHead(target, "127.0.0.1:" + std::to_string(port), extraHeaders));
    return SplitResponse(client.ReadOneResponse()).value_or(WireMessage {});
}

std::string Field(const std::string& page, const char* name)
{
    std::string working = page;
    return CutBetween(working, std::string("<input type=\"hidden\" name=\"") + name + "\" value=\"", "\"");
}

TEST(SuggestionWireTest, ChallengeThenPictureWithoutTheCookieThenTheAnswerWithIt)
{
    SimulatorProcess sim({ "--characters", "KX7MA" });
    ASSERT_NE(sim.Port(), 0) << sim.FirstLine();

    WireMessage challenge = Fetch(sim.Port(), "/?seed=golf+clubs&adult_filter=remove_offensive&suggest=Hit+Me");
    ASSERT_EQ(challenge.StatusLine, "HTTP/1.1 200 OK");
    ASSERT_NE(challenge.RawBody.find("Please enter the characters in the image"), std::string::npos);
    const std::string setCookie = challenge.Header("Set-Cookie").value_or("");
    const std::string cookie = setCookie.substr(0, setCookie.find(';'));
    ASSERT_TRUE(cookie.starts_with("wtsession=")) << setCookie;
    const std::string random = Field(challenge.RawBody, "random");
    EXPECT_EQ(Field(challenge.RawBody, "seed"), "golf+clubs");

    WireMessage picture = Fetch(sim.Port(), "/captcha.png?random=" + random + "&type=security");
    EXPECT_EQ(picture.StatusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(picture.Header("Content-Type").value_or(""), "image/png");
    std::string why;
    std::optional<DecodedPng> png = ReadPng(picture.RawBody, why);
    ASSERT_TRUE(png) << why;
    EXPECT_EQ(png->Width, challengeImageWidth);

    WireMessage refused =
        Fetch(sim.Port(), "/keyword-suggestion-tool.html?password=KX7MA&random=" + random + "&seed=golf+clubs");
    EXPECT_NE(refused.RawBody.find("Please enter the characters in the image"), std::string::npos)
        << "the right characters without the session's cookie";

    WireMessage again = Fetch(sim.Port(), "/?seed=golf+clubs&adult_filter=remove_offensive&suggest=Hit+Me",
        "Cookie: " + cookie + "\r\n");
    WireMessage results = Fetch(sim.Port(),
        "/keyword-suggestion-tool.html?password=kx7ma&random=" + Field(again.RawBody, "random") + "&seed=golf+clubs",
        "Cookie: " + cookie + "\r\n");
    EXPECT_NE(results.RawBody.find("</tfoot>"), std::string::npos);
    EXPECT_EQ(results.RawBody.find("Please enter the characters in the image"), std::string::npos);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(SuggestionWireTest, NeverChallengedWithTheOptionAndBadOptionsRefused)
{
    SimulatorProcess sim({ "--challenge", "never" });
    ASSERT_NE(sim.Port(), 0) << sim.FirstLine();
    WireMessage results = Fetch(sim.Port(), "/?seed=golf&adult_filter=remove_offensive&suggest=Hit+Me");
    EXPECT_NE(results.RawBody.find("</tfoot>"), std::string::npos);
    EXPECT_FALSE(results.Header("Set-Cookie"));
    EXPECT_EQ(sim.Stop(), 0);

    EXPECT_EQ(SimulatorProcess::RunToEnd({ "--challenge", "sometimes" }), 2);
    EXPECT_EQ(SimulatorProcess::RunToEnd({ "--characters", "B8" }), 2);
}

}
