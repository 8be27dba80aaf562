#include "core/word_filter.h"

#include "core/keyword_import.h"

#include <algorithm>

namespace {

bool IsAsciiWordByte(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsWordCodePoint(char32_t c)
{
    if (c < 0x80)
        return IsAsciiWordByte(static_cast<unsigned char>(c));
    if ((c >= 0xA0 && c <= 0xBF) || c == 0xD7 || c == 0xF7)
        return false;
    if ((c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F))
        return false;
    return true;
}

// The code point at `i` and its length in bytes; a byte that starts no valid sequence
// stands for itself.
char32_t DecodeAt(std::string_view text, std::size_t i, std::size_t& length)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    length = 1;
    if (lead < 0x80)
        return lead;
    const std::size_t need = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (need == 0)
        return lead;
    char32_t value = lead & (0x3F >> need);
    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80)
            return lead;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    length = need + 1;
    return value;
}

} // namespace

std::vector<std::string> PhraseLines(std::string_view text)
{
    std::vector<std::string> phrases;
    ForEachKeywordLine(text, [&](std::string_view line) {
        if (!WordsOf(line).empty())
            phrases.emplace_back(line);
    });
    return phrases;
}

std::vector<std::string_view> WordsOf(std::string_view folded)
{
    std::vector<std::string_view> words;
    std::size_t start = std::string_view::npos;
    std::size_t i = 0;
    while (i < folded.size()) {
        std::size_t length = 1;
        const char32_t c = DecodeAt(folded, i, length);
        if (IsWordCodePoint(c)) {
            if (start == std::string_view::npos)
                start = i;
        } else if (start != std::string_view::npos) {
            words.push_back(folded.substr(start, i - start));
            start = std::string_view::npos;
        }
        i += length;
    }
    if (start != std::string_view::npos)
        words.push_back(folded.substr(start));
    return words;
}

WordFilter::WordFilter(const std::vector<std::string>& phrases, const CaseFolder& folder) : FFolder(folder)
{
    FFoldedPhrases.reserve(phrases.size());
    for (const std::string& phrase : phrases)
        FFoldedPhrases.push_back(FoldedText(phrase, folder));
    // The views point into FFoldedPhrases, which no longer grows.
    for (const std::string& folded : FFoldedPhrases) {
        std::vector<std::string_view> words = WordsOf(folded);
        if (words.empty())
            continue;
        FByFirstWord[words.front()].push_back(FPhrases.size());
        FPhrases.push_back(std::move(words));
    }
}

bool WordFilter::Matches(std::string_view keyword) const
{
    if (FPhrases.empty())
        return false;
    const std::string folded = FoldedText(keyword, FFolder);
    const std::vector<std::string_view> words = WordsOf(folded);
    for (std::size_t at = 0; at < words.size(); ++at) {
        const auto found = FByFirstWord.find(words[at]);
        if (found == FByFirstWord.end())
            continue;
        for (const std::size_t phrase : found->second) {
            const std::vector<std::string_view>& wanted = FPhrases[phrase];
            if (wanted.size() <= words.size() - at && std::equal(wanted.begin(), wanted.end(), words.begin() + at))
                return true;
        }
    }
    return false;
}

std::vector<bool> MatchingRows(const KeywordList& list, const WordFilter& filter)
{
    std::vector<bool> matching(static_cast<std::size_t>(list.CountRows()), false);
    for (int row = 0; row < list.CountRows(); ++row)
        matching[static_cast<std::size_t>(row)] = filter.Matches(list.CellText(row, KeywordRow::Keywords));
    return matching;
}

int CountMatchingRows(const KeywordList& list, const WordFilter& filter)
{
    int count = 0;
    for (int row = 0; row < list.CountRows(); ++row)
        count += filter.Matches(list.CellText(row, KeywordRow::Keywords)) ? 1 : 0;
    return count;
}

int FilterRows(KeywordList& list, const WordFilter& filter, FilterMode mode, ListUndo& undo)
{
    std::vector<bool> taken = MatchingRows(list, filter);
    if (mode == FilterMode::KeepMatching)
        taken.flip();
    RemovedRows removed = list.TakeRows(taken);
    const int count = static_cast<int>(removed.Rows.size());
    undo.Remember(std::move(removed));
    return count;
}
