// Reading a security image challenge page: the two hidden values that go back with the
// answer and the address of the picture.
#pragma once

#include <string>
#include <string_view>

struct SecurityChallenge {
    std::string Random; // the hidden input named random
    std::string Seed;   // the hidden input named seed
    // The first src attribute after the seed input, "&amp;" read once, resolved against
    // the page's address as a browser resolves it; empty when the page names none.
    std::string ImageURL;
};

// The three values are cut in this order from one working copy of the page, so a value
// whose marker stands only before the one read previously comes out empty. pageAddress
// is where the page came from (after redirects); a relative src is read from there.
SecurityChallenge ReadChallenge(const std::string& pageText, const std::string& pageAddress);

// Every "&amp;" becomes "&" in one pass from left to right: an "&amp;" formed by a
// replacement with the text after it stays ("&amp;amp;" gives "&amp;").
std::string ReplaceAmpersandEntitiesOnce(std::string_view text);
