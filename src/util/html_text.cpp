#include "util/html_text.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

unsigned char FoldAscii(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

bool MatchesFoldedAt(std::string_view text, size_t at, std::string_view marker)
{
    for (size_t j = 0; j < marker.size(); ++j) {
        if (FoldAscii(text[at + j]) != FoldAscii(marker[j]))
            return false;
    }
    return true;
}

// First occurrence of marker in text with ASCII letters folded, searched in place: no
// upper-cased copy of the page is made. npos when there is none or marker is empty.
size_t FindFolded(std::string_view text, std::string_view marker)
{
    if (marker.empty() || marker.size() > text.size())
        return std::string_view::npos;
    const unsigned char first = FoldAscii(marker[0]);
    const bool firstIsLetter = first >= 'A' && first <= 'Z';
    const size_t last = text.size() - marker.size();
    const char* data = text.data();
    size_t i = 0;
    while (i <= last) {
        if (firstIsLetter) {
            if (FoldAscii(data[i]) != first) {
                ++i;
                continue;
            }
        } else {
            const void* hit = std::memchr(data + i, first, last - i + 1);
            if (hit == nullptr)
                return std::string_view::npos;
            i = static_cast<size_t>(static_cast<const char*>(hit) - data);
        }
        if (MatchesFoldedAt(text, i, marker))
            return i;
        ++i;
    }
    return std::string_view::npos;
}

// Moves the last (count - 1) bytes of `finished` (fewer when it is shorter) to the front
// of `pending`: after a replacement, an occurrence formed with the text before it can
// start no earlier than that.
void TakeBackTail(std::string& finished, std::string& pending, size_t findLength)
{
    const size_t back = std::min(findLength - 1, finished.size());
    pending.assign(finished, finished.size() - back, back);
    finished.resize(finished.size() - back);
}

struct Replacement {
    std::string_view Find;
    std::string_view With;
};

// Applied in this order: a removal may form a tag that a later step removes (<B<b>R>
// becomes <BR> at step 29 and is removed at step 46), and &amp; runs first so that an
// escaped entity such as &amp;nbsp; is unescaped and then replaced.
constexpr Replacement CleanUpSteps[] = {
    {"&amp;", "&"},      {"&nbsp;", " "},    {"\t", " "},         {"<wbr>", ""},
    {"&#039;", "'"},     {"Tel : ", ""},     {"Fax : ", ""},      {"<strong>", ""},
    {"</strong>", ""},   {"<em>", ""},       {"<hr>", ""},        {"<h3>", ""},
    {"</h3>", ""},       {"<H3>", ""},       {"</H3>", ""},       {"</em>", ""},
    {"<u>", ""},         {"</u>", ""},       {"</INVALID>", ""},  {"<br>", " "},
    {"<BR>", " "},       {"<tr>", ""},       {"</tr>", ""},       {"<td>", ""},
    {"</td>", ""},       {"<table>", ""},    {"</table>", ""},    {"</font>", ""},
    {"<b>", ""},         {"<i>", ""},        {"<blockquote>", ""}, {"</p>", ""},
    {"<p>", " "},        {"<P>", " "},       {"</P>", ""},        {"</b>", ""},
    {"</i>", ""},        {"</th>", ""},      {"<br />", ""},      {"</FONT>", ""},
    {"</TD>", ""},       {"<TD>", ""},       {"<B>", ""},         {"</B>", ""},
    {"<TR>", ""},        {"<BR>", ""},       {"</TR>", ""},       {"\"", ""},
    {"\n", " "},         {"\r", " "},
};
static_assert(std::size(CleanUpSteps) == 50);

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

std::string CutBetween(std::string_view& working, std::string_view startMarker, std::string_view endMarker)
{
    const size_t start = FindFolded(working, startMarker);
    if (start == std::string_view::npos)
        return {};
    working.remove_prefix(start + startMarker.size());
    const size_t end = FindFolded(working, endMarker);
    if (end == std::string_view::npos)
        return {};
    std::string fragment(working.substr(0, end));
    working.remove_prefix(end);
    return fragment;
}

std::string CutBetween(std::string& working, std::string_view startMarker, std::string_view endMarker)
{
    std::string_view view(working);
    std::string fragment = CutBetween(view, startMarker, endMarker);
    working.erase(0, working.size() - view.size());
    return fragment;
}

// Gives exactly the result of replacing the first occurrence and searching again from
// the start, without moving the whole text per replacement: the text is built in
// `finished`, in which no occurrence can start any more, while `pending` holds what must
// be searched again before the rest of the input (the end of `finished` that an
// occurrence formed by the replacement may start in, and the replacement itself).
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement)
{
    // Each replacement must take the text closer to the end: a shorter replacement
    // shortens it, and a one-byte find that the replacement does not hold leaves one
    // occurrence fewer of that byte. Any other pair may replace forever (ReplaceAll("aab",
    // "ab", "bbaa") never ends) or for exponentially long, however the text is chosen.
    const bool shrinks = replacement.size() < find.size();
    const bool removesAByte = find.size() == 1 && replacement.find(find) == std::string_view::npos;
    if (!find.empty() && !shrinks && !removesAByte)
        throw std::invalid_argument("ReplaceAll: the replacement must be shorter than the text it replaces");
    if (find.empty() || text.find(find) == std::string_view::npos)
        return std::string(text);

    const size_t n = find.size();
    std::string finished;
    finished.reserve(text.size());
    std::string pending;
    std::string_view input = text;
    for (;;) {
        if (!pending.empty()) {
            std::string window = pending;
            window.append(input.substr(0, n - 1));
            const size_t hit = window.find(find);
            if (hit != std::string::npos && hit < pending.size()) {
                std::string after;
                if (hit + n <= pending.size())
                    after = pending.substr(hit + n);
                else
                    input.remove_prefix(hit + n - pending.size());
                finished.append(pending, 0, hit);
                TakeBackTail(finished, pending, n);
                pending.append(replacement);
                pending.append(after);
                continue;
            }
            finished.append(pending);
            pending.clear();
        }
        const size_t hit = input.find(find);
        if (hit == std::string_view::npos) {
            finished.append(input);
            return finished;
        }
        finished.append(input.substr(0, hit));
        input.remove_prefix(hit + n);
        TakeBackTail(finished, pending, n);
        pending.append(replacement);
    }
}

std::string CleanHtml(std::string_view fragment)
{
    std::string text(fragment);
    for (const Replacement& step : CleanUpSteps) {
        if (text.find(step.Find) != std::string::npos)
            text = ReplaceAll(text, step.Find, step.With);
    }
    const auto first = std::find_if_not(text.begin(), text.end(), IsBlankOrControl);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlankOrControl).base();
    if (first >= last)
        return {};
    return std::string(first, last);
}
