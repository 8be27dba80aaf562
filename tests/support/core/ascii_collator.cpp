#include "support/core/ascii_collator.h"

#include <algorithm>
#include <cctype>

namespace {
std::string Folded(const std::string& text)
{
    std::string folded = text;
    for (char& c : folded)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}
} // namespace

std::vector<uint32_t> AsciiCaseInsensitiveCollator::RankTexts(const std::vector<const std::string*>& texts) const
{
    std::vector<std::string> folded;
    for (const std::string* text : texts)
        folded.push_back(Folded(*text));
    std::vector<std::string> distinct = folded;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<uint32_t> ranks;
    for (const std::string& text : folded)
        ranks.push_back(static_cast<uint32_t>(std::lower_bound(distinct.begin(), distinct.end(), text) - distinct.begin()));
    return ranks;
}
