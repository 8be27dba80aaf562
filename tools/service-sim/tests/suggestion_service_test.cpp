// The suggestion service's conversation through the responder: challenges per session,
// answers, the picture, the challenge modes and the fault options.
#include "challenge.h"
#include "marker_cut.h"
#include "request.h"
#include "responder.h"
#include "suggestion_pages.h"
#include "wire.h"

#include <gtest/gtest.h>

namespace {

struct Page {
    int Status = 0;
    WireMessage Message;

    bool IsChallenge() const { return Message.RawBody.find(challengePrompt) != std::string::npos; }
    bool IsResults() const { return Message.RawBody.find("</tfoot>") != std::string::npos; }
    std::string Random() const
    {
        std::string working = Message.RawBody;
        return CutBetween(working, "<input type=\"hidden\" name=\"random\" value=\"", "\"");
    }
    std::string ImageAddress() const
    {
        std::string working = Message.RawBody;
        CutBetween(working, "<input type=\"hidden\" name=\"seed\" value=\"", "\"");
        return CutBetween(working, "src=\"", "\"");
    }
    // "wtsession=..." from Set-Cookie, without the attributes.
    std::string Cookie() const
    {
        std::string setCookie = Message.Header("Set-Cookie").value_or("");
        return setCookie.substr(0, setCookie.find(';'));
    }
};

class SuggestionServiceTest : public testing::Test {
protected:
    void Start(ChallengeOptions options, FaultPlan faults = {})
    {
        responder = std::make_unique<Responder>(BuildServices(options), faults);
    }

    Page Get(const std::string& target, const std::string& cookie = "")
    {
        std::string head = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:8301\r\n";
        if (!cookie.empty())
            head += "Cookie: " + cookie + "\r\n";
        Reply reply = responder->Respond(*ParseRequestHead(head + "\r\n"));
        Page page;
        page.Message = SplitResponse(reply.Wire.Bytes).value_or(WireMessage {});
        page.Status = std::atoi(page.Message.StatusLine.substr(9, 3).c_str());
        return page;
    }

    static std::string Suggestions(const std::string& seed)
    {
        return "/?seed=" + seed + "&adult_filter=remove_offensive&suggest=Hit+Me";
    }
    static std::string Answer(const std::string& password, const std::string& random, const std::string& seed)
    {
        return "/keyword-suggestion-tool.html?password=" + password + "&random=" + random + "&seed=" + seed;
    }

    std::unique_ptr<Responder> responder;
};

// A page asked for through the https front names its picture with https, so the dialog
// fetches it from the port it can reach; a page asked for over http keeps http.
TEST_F(SuggestionServiceTest, ThePictureAddressKeepsTheSchemeThePageCameIn)
{
    ChallengeOptions options;
    options.HttpsPort = 8301;
    Start(options);
    Page overHttps = Get(Suggestions("golf"));
    EXPECT_EQ(overHttps.ImageAddress(),
              "https://127.0.0.1:8301/captcha.png?random=" + overHttps.Random() + "&amp;type=security");

    options.HttpsPort = 8302;
    Start(options);
    Page overHttp = Get(Suggestions("golf"));
    EXPECT_EQ(overHttp.ImageAddress(),
              "http://127.0.0.1:8301/captcha.png?random=" + overHttp.Random() + "&amp;type=security");
}

TEST_F(SuggestionServiceTest, ASessionIsChallengedUntilItAnswersCorrectly)
{
    Start({});
    Page first = Get(Suggestions("golf+clubs"));
    ASSERT_TRUE(first.IsChallenge());
    EXPECT_FALSE(first.IsResults());
    const std::string cookie = first.Cookie();
    ASSERT_TRUE(cookie.starts_with("wtsession=")) << cookie;
    EXPECT_EQ(first.Message.Header("Set-Cookie").value_or(""), cookie + "; path=/");
    EXPECT_EQ(first.ImageAddress(), "http://127.0.0.1:8301/captcha.png?random=" + first.Random() + "&amp;type=security");

    // Asking again in the same session: another challenge, no new cookie.
    Page again = Get(Suggestions("golf+clubs"), cookie);
    ASSERT_TRUE(again.IsChallenge());
    EXPECT_FALSE(again.Message.Header("Set-Cookie"));
    EXPECT_NE(again.Random(), first.Random());

    // A wrong answer: a new challenge for the seed.
    Page wrong = Get(Answer("WRONG", again.Random(), "golf+clubs"), cookie);
    ASSERT_TRUE(wrong.IsChallenge());
    EXPECT_NE(wrong.Random(), again.Random());

    // The characters of the challenge shown last, in any letter case: the results.
    std::string characters = ChallengeCharacters(wrong.Random());
    for (char& c : characters)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Page right = Get(Answer(characters, wrong.Random(), "golf+clubs"), cookie);
    ASSERT_TRUE(right.IsResults());
    EXPECT_FALSE(right.IsChallenge());
    EXPECT_NE(right.Message.RawBody.find("<title>Keyword suggestions for golf clubs</title>"), std::string::npos);

    // The session has passed: suggestions straight away from now on.
    EXPECT_TRUE(Get(Suggestions("soccer"), cookie).IsResults());
    // Another visitor is still challenged.
    EXPECT_TRUE(Get(Suggestions("soccer")).IsChallenge());
}

TEST_F(SuggestionServiceTest, AnAnswerCountsOnlyForTheSessionsLatestChallengeAndOnlyOnce)
{
    Start({});
    Page first = Get(Suggestions("golf"));
    const std::string cookie = first.Cookie();
    Page second = Get(Suggestions("golf"), cookie);
    const std::string oldRandom = first.Random();

    struct Case {
        const char* What;
        std::string Target;
        std::string Cookie;
    };
    const Case refused[] = {
        { "an earlier challenge", Answer(ChallengeCharacters(oldRandom), oldRandom, "golf"), cookie },
        { "no cookie", Answer(ChallengeCharacters(second.Random()), second.Random(), "golf"), "" },
        { "an unknown session", Answer(ChallengeCharacters(second.Random()), second.Random(), "golf"),
            "wtsession=0000000000000000" },
    };
    for (const Case& c : refused) {
        Page page = Get(c.Target, c.Cookie);
        EXPECT_TRUE(page.IsChallenge()) << c.What;
        EXPECT_EQ(page.Message.Header("Set-Cookie").has_value(), c.Cookie != cookie) << c.What;
    }
    // The session's challenge changed with the refused answer made in it.
    Page latest = Get(Suggestions("golf"), cookie);
    Page right = Get(Answer(ChallengeCharacters(latest.Random()), latest.Random(), "golf"), cookie);
    EXPECT_TRUE(right.IsResults());
    EXPECT_TRUE(Get(Answer(ChallengeCharacters(latest.Random()), latest.Random(), "golf"), cookie).IsChallenge())
        << "the same answer twice";
}

TEST_F(SuggestionServiceTest, ChallengeModes)
{
    Start({ ChallengeMode::Never, "" });
    Page never = Get(Suggestions("golf"));
    EXPECT_TRUE(never.IsResults());
    EXPECT_FALSE(never.Message.Header("Set-Cookie"));

    Start({ ChallengeMode::Always, "" });
    Page challenge = Get(Suggestions("golf"));
    const std::string cookie = challenge.Cookie();
    EXPECT_TRUE(Get(Answer(ChallengeCharacters(challenge.Random()), challenge.Random(), "golf"), cookie).IsResults());
    EXPECT_TRUE(Get(Suggestions("golf"), cookie).IsChallenge()) << "always: even after a right answer";
}

TEST_F(SuggestionServiceTest, FixedCharactersAreAskedForByEveryChallengeAndShownInEveryPicture)
{
    Start({ ChallengeMode::First, "KX7MA" });
    Page challenge = Get(Suggestions("golf"));
    EXPECT_TRUE(Get(Answer("kx7ma", challenge.Random(), "golf"), challenge.Cookie()).IsResults());
    Page picture = Get("/captcha.png?random=" + challenge.Random());
    EXPECT_EQ(picture.Message.RawBody, ChallengeImagePng("KX7MA", challenge.Random()));
}

TEST_F(SuggestionServiceTest, ThePictureIsServedToAnyClientAsPng)
{
    Start({});
    Page challenge = Get(Suggestions("golf"));
    // The address the page gives, with its "&amp;" read as "&" once.
    std::string address = challenge.ImageAddress();
    address.replace(address.find("&amp;"), 5, "&");
    const std::string target = address.substr(std::string("http://127.0.0.1:8301").size());
    Page picture = Get(target); // no cookie
    EXPECT_EQ(picture.Status, 200);
    EXPECT_EQ(picture.Message.Header("Content-Type").value_or(""), "image/png");
    EXPECT_EQ(picture.Message.RawBody, ChallengeImagePng(ChallengeCharacters(challenge.Random()), challenge.Random()));
    // A client that keeps the "&amp;" still gets it.
    EXPECT_EQ(Get("/captcha.png?random=" + challenge.Random() + "&amp;type=security").Status, 200);

    for (const char* bad : { "/captcha.png", "/captcha.png?random=", "/captcha.png?random=XYZ", "/captcha.png?random=0123ABCD" })
        EXPECT_EQ(Get(bad).Status, 404) << bad;
}

TEST_F(SuggestionServiceTest, FaultsHitTheSuggestionPagesButNeverThePicture)
{
    FaultPlan faults;
    faults.Status = 503;
    Start({}, faults);
    EXPECT_EQ(Get(Suggestions("golf")).Status, 503);
    EXPECT_EQ(Get("/captcha.png?random=0123abcd").Status, 200);

    // Counted requests skip the picture: the second suggestion request is the faulty one.
    faults = {};
    faults.Only = "suggest";
    faults.OnRequest = 2;
    faults.Status = 500;
    Start({}, faults);
    Page first = Get(Suggestions("golf"));
    EXPECT_EQ(first.Status, 200);
    EXPECT_EQ(Get("/captcha.png?random=" + first.Random()).Status, 200);
    EXPECT_EQ(Get(Answer("x", first.Random(), "golf"), first.Cookie()).Status, 500);

    faults = {};
    faults.NoMarkers = true;
    Start({ ChallengeMode::Never, "" }, faults);
    Page unreadable = Get(Suggestions("golf"));
    EXPECT_EQ(unreadable.Status, 200);
    EXPECT_FALSE(unreadable.IsResults());
}

TEST_F(SuggestionServiceTest, OnlyTheTwoRequestsOfTheServiceAreAnswered)
{
    Start({ ChallengeMode::Never, "" });
    EXPECT_EQ(Get("/").Status, 404) << "no seed";
    EXPECT_EQ(Get("/?adult_filter=remove_offensive").Status, 404);
    EXPECT_EQ(Get("/?seed=").Status, 200);
    EXPECT_EQ(Get("/keyword-suggestion-tool.html").Status, 200);
    EXPECT_EQ(Get("/keyword-suggestion-tool.htm").Status, 404);
}

}
