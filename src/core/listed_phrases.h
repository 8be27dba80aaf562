// The phrases one Gather Keywords command has listed, so that a phrase suggested again
// (for another expanded keyword) is not listed twice.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

// The phrase as compared: runs of blanks (bytes 32 and below) as one space, none at the
// ends, letters in lower case (UTF-8 letters by Unicode's simple mapping; bytes that
// are not UTF-8 stay as they are).
std::string PhraseKey(std::string_view phrase);

class ListedPhrases {
public:
    // True the first time a phrase (by PhraseKey) is offered, false after.
    bool Add(std::string_view phrase) { return FKeys.insert(PhraseKey(phrase)).second; }

private:
    std::unordered_set<std::string> FKeys;
};
