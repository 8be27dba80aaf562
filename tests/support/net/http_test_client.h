// The program's HTTP client as the exchange tests drive it: redirects followed, every
// other setting at its default, and the work events written down.
#pragma once

#include "net/http.h"
#include "net/streams.h"
#include "support/net/request_head.h"
#include "support/net/scripted_server.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct HttpTestClient {
    HttpTestClient()
    {
        http.HandleRedirects = true;
        http.OnWorkBegin = [this](TIdComponent&, TWorkMode mode, int32_t max) {
            EXPECT_EQ(mode, wmRead);
            begins.push_back(max);
        };
        http.OnWork = [this](TIdComponent&, TWorkMode, int32_t count) {
            totals.push_back(count);
            if (onWork)
                onWork();
        };
        http.OnWorkEnd = [this](TIdComponent&, TWorkMode) { ++ends; };
    }

    TIdHTTP http;
    std::vector<int32_t> begins;
    std::vector<int32_t> totals;
    int ends = 0;
    std::function<void()> onWork;
};

inline std::string UrlOf(const ScriptedServer& server, const std::string& path)
{
    return "http://127.0.0.1:" + std::to_string(server.Port()) + path;
}

// The exact head of a GET of target from the server, with a Cookie line when cookie is
// not empty.
inline std::string GetHead(const ScriptedServer& server, const std::string& target, const std::string& cookie = {})
{
    return ProgramRequestHead(target, "127.0.0.1:" + std::to_string(server.Port()),
                              cookie.empty() ? "" : "Cookie: " + cookie + "\r\n");
}

// Script steps of one exchange: a whole request head in, the reply out.
inline std::vector<ScriptStep> Exchange(std::string reply)
{
    return {ScriptStep::ReadUntil("\r\n\r\n"), ScriptStep::Send(std::move(reply))};
}

inline Script Concat(std::vector<std::vector<ScriptStep>> parts)
{
    Script script;
    for (auto& part : parts)
        script.insert(script.end(), part.begin(), part.end());
    return script;
}

// Closes the client and waits for the server's scripts; what the server saw is then
// complete.
inline void FinishExchange(HttpTestClient& client, ScriptedServer& server)
{
    client.http.CloseConnection();
    EXPECT_TRUE(server.Finish());
    EXPECT_EQ(server.Failures(), std::vector<std::string>{});
}
