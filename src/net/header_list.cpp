#include "net/header_list.h"
#include "net/text_case.h"

namespace {

bool StartsContinuation(const std::string& line)
{
    return !line.empty() && (line.front() == ' ' || line.front() == '\t');
}

} // namespace

void TIdHeaderList::Put(int index, std::string line)
{
    FLines.at(static_cast<size_t>(index)) = std::move(line);
}

void TIdHeaderList::Add(std::string line)
{
    FLines.push_back(std::move(line));
}

void TIdHeaderList::Insert(int index, std::string line)
{
    FLines.insert(FLines.begin() + index, std::move(line));
}

void TIdHeaderList::Delete(int index)
{
    FLines.erase(FLines.begin() + index);
}

void TIdHeaderList::AddStrings(const TIdHeaderList& source)
{
    FLines.insert(FLines.end(), source.FLines.begin(), source.FLines.end());
}

std::string TIdHeaderList::Text() const
{
    std::string text;
    for (const std::string& line : FLines)
        text += line + "\r\n";
    return text;
}

bool TIdHeaderList::IsContinuation(int index) const
{
    return index >= 0 && index < Count() && StartsContinuation(FLines[static_cast<size_t>(index)]);
}

std::string_view TIdHeaderList::NameViewAt(int index) const
{
    const std::string& line = FLines[static_cast<size_t>(index)];
    const size_t colon = line.find(TrimRightView(Separator));
    return colon == std::string::npos ? std::string_view() : std::string_view(line).substr(0, colon);
}

std::string TIdHeaderList::NameAt(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    const std::string_view name = NameViewAt(index);
    return MatchCase ? std::string(name) : UpperAscii(name);
}

std::string TIdHeaderList::ValueAt(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    const std::string& line = FLines[static_cast<size_t>(index)];
    const size_t colon = line.find(TrimRightView(Separator));
    std::string value(TrimView(colon == std::string::npos ? std::string_view(line)
                                                          : std::string_view(line).substr(colon + TrimRightView(Separator).size())));
    if (JoinContinuations) {
        // The trimmed pieces that are not empty, one blank between them: what trimming the
        // value joined so far, adding a blank and the next trimmed piece comes to, without
        // copying the value once per continuation line.
        for (int next = index + 1; IsContinuation(next); ++next) {
            const std::string_view piece = TrimView(FLines[static_cast<size_t>(next)]);
            if (piece.empty())
                continue;
            if (!value.empty())
                value += ' ';
            value.append(piece);
        }
    }
    return value;
}

int TIdHeaderList::FindName(std::string_view name) const
{
    for (int i = 0; i < Count(); ++i) {
        if (SameTextAscii(NameViewAt(i), name))
            return i;
    }
    return -1;
}

std::string TIdHeaderList::ValueOf(std::string_view name) const
{
    return ValueAt(FindName(name));
}

void TIdHeaderList::DeleteContinuations(int index)
{
    while (IsContinuation(index + 1))
        Delete(index + 1);
}

void TIdHeaderList::SetValueOf(std::string_view name, std::string_view value)
{
    int index = FindName(name);
    const std::string line = std::string(name) + Separator + std::string(value);
    if (!value.empty()) {
        if (index < 0) {
            Add({});
            index = Count() - 1;
        }
        if (FoldOnSet) {
            DeleteContinuations(index);
            const std::vector<std::string> pieces = FoldHeaderLine(line);
            Put(index, pieces.front());
            for (size_t i = 1; i < pieces.size(); ++i)
                Insert(index + static_cast<int>(i), pieces[i]);
        } else {
            Put(index, line);
        }
    } else if (index >= 0) {
        if (FoldOnSet)
            DeleteContinuations(index);
        Delete(index);
    }
}

void TIdHeaderList::ExtractAll(std::string_view name, TIdHeaderList* destination) const
{
    if (destination == nullptr)
        return;
    for (int i = 0; i < Count(); ++i) {
        if (SameTextAscii(NameViewAt(i), name))
            destination->Add(ValueAt(i));
    }
}

std::vector<std::string> TIdHeaderList::FoldHeaderLine(std::string_view line) const
{
    const std::string wrapped = WrapHeaderText(line, "\r\n ", " \t,", FoldWidth);
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t end = wrapped.find("\r\n", start);
        const std::string_view piece = std::string_view(wrapped).substr(start, end == std::string::npos ? end : end - start);
        pieces.emplace_back(TrimRightView(piece));
        if (end == std::string::npos)
            return pieces;
        start = end + 2;
    }
}

// A scan that remembers the last break character seen outside double quotes and breaks
// there once the piece passes the width. Positions are 1-based as in the text's columns.
std::string WrapHeaderText(std::string_view text, std::string_view breakText, std::string_view breakCharacters,
                           int width)
{
    const auto length = static_cast<int>(text.size());
    const auto at = [&](int position) { return text[static_cast<size_t>(position - 1)]; };
    const auto isBreakCharacter = [&](char c) { return breakCharacters.find(c) != std::string_view::npos; };
    std::string result;
    int position = 1;
    int column = 1;
    int pieceStart = 1;
    int lastBreak = 0;
    bool insideQuotes = false;
    bool existingBreak = false;
    while (position <= length) {
        const char current = at(position);
        if (!breakText.empty() && current == breakText.front()) {
            if (!insideQuotes) {
                existingBreak = SameTextAscii(text.substr(static_cast<size_t>(position - 1), breakText.size()), breakText);
                if (existingBreak) {
                    position += static_cast<int>(breakText.size()) - 1;
                    lastBreak = position;
                }
            }
        } else if (isBreakCharacter(current)) {
            if (!insideQuotes)
                lastBreak = position;
        } else if (current == '"') {
            insideQuotes = !insideQuotes;
        }
        ++position;
        ++column;
        if (!insideQuotes && (existingBreak || (column > width && lastBreak > pieceStart))) {
            column = position - lastBreak;
            result.append(text.substr(static_cast<size_t>(pieceStart - 1), static_cast<size_t>(lastBreak - pieceStart + 1)));
            if (current != '"') {
                while (position <= length && (isBreakCharacter(at(position)) || at(position) == '\r' || at(position) == '\n'))
                    ++position;
            }
            if (!existingBreak && position < length)
                result.append(breakText);
            pieceStart = lastBreak + 1;
            existingBreak = false;
        }
    }
    if (pieceStart <= length)
        result.append(text.substr(static_cast<size_t>(pieceStart - 1)));
    return result;
}
