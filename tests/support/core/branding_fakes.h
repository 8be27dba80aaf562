// Stand-ins for the random picks and the browser in branding tests: draws that come from
// a script (and remember the counts they were asked for), and an opener that records
// the addresses instead of starting a browser.
#pragma once

#include "core/random_draw.h"
#include "core/web_pages.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

class ScriptedDraw : public RandomDraw {
public:
    std::deque<std::size_t> Picks;
    std::vector<std::size_t> AskedCounts;

    ScriptedDraw(std::initializer_list<std::size_t> picks = {}) : Picks(picks) {}

    std::size_t Draw(std::size_t count) override
    {
        AskedCounts.push_back(count);
        if (Picks.empty()) {
            ADD_FAILURE() << "an unexpected draw from " << count;
            return 0;
        }
        const std::size_t pick = Picks.front();
        Picks.pop_front();
        return pick;
    }
};

class RecordingOpener : public WebPageOpener {
public:
    std::vector<std::string> Opened;
    // False stands for a desktop without a browser: the address is recorded all the same.
    bool BrowserFound = true;
    bool Open(const std::string& address) override
    {
        Opened.push_back(address);
        return BrowserFound;
    }
};
