#include "util/json_reading.h"

#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::json;

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!IsDigit(c))
            return false;
    return true;
}

// Digits alone, or 1 to 3 digits followed by groups of a separator and 3 digits.
bool IsCountText(std::string_view text)
{
    if (text.empty() || text.size() > MaxCountTextLength)
        return false;
    if (AllDigits(text))
        return true;
    const std::size_t first = text.find_first_not_of("0123456789");
    if (first == 0 || first > 3)
        return false;
    const char separator = text[first];
    if (separator != ',' && separator != '.' && separator != ' ' && separator != '\'')
        return false;
    for (std::size_t group = first; group < text.size(); group += 4) {
        if (text[group] != separator || group + 4 > text.size() || !AllDigits(text.substr(group + 1, 3)))
            return false;
    }
    return true;
}

enum class Kind { Scalar, Container };

// Where the walk stands: one frame per open object or array, with the key or index of
// the element being read inside it, and for each pointer followed, whether the frame's
// container lies on that pointer's path.
struct Frame {
    bool Array = false;
    unsigned long long Index = 0;
    std::string Key;
    bool OnMain = false;
    bool OnPhrase = false;
    bool OnCount = false;
};

bool TokenMatches(const Frame& frame, const std::string& token)
{
    return frame.Array ? JsonPointer::NamesIndex(token, frame.Index) : frame.Key == token;
}

// Whether the value about to be read continues the pointer's path: `onParent` says the
// enclosing container is on it, `depth` is the value's depth below the pointer's origin.
bool Continues(const JsonPointer& pointer, const Frame* parent, bool onParent, std::size_t depth)
{
    if (depth == 0)
        return true;
    const auto& tokens = pointer.Tokens();
    return onParent && depth <= tokens.size() && TokenMatches(*parent, tokens[depth - 1]);
}

// The event side shared by both readers: frames, depth limit, element counting. What a
// scalar holds is only turned into a count when a reader asks, and a key is only kept
// for a container on a pointer's path: the rest of the page is passed over as read.
class Walk : public nlohmann::json_sax<Json> {
public:
    bool null() override { return Scalar(); }
    bool boolean(bool) override { return Scalar(); }
    bool number_integer(number_integer_t) override { return Scalar(); }
    bool number_unsigned(number_unsigned_t value) override
    {
        FUnsigned = value;
        FHasUnsigned = true;
        const bool go = Scalar();
        FHasUnsigned = false;
        return go;
    }
    bool number_float(number_float_t, const string_t& written) override
    {
        // A whole number too large for 64 bits arrives here with its digits intact.
        FWrittenNumber = &written;
        const bool go = Scalar();
        FWrittenNumber = nullptr;
        return go;
    }
    bool string(string_t& value) override
    {
        FString = &value;
        const bool go = Scalar();
        FString = nullptr;
        return go;
    }
    bool binary(binary_t&) override { return Scalar(); }
    bool start_object(std::size_t) override { return Open(false); }
    bool key(string_t& value) override
    {
        Frame& frame = FFrames.back();
        if (frame.OnMain || frame.OnPhrase || frame.OnCount)
            frame.Key.assign(value);
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(true); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

protected:
    // A value begins. Return false to end the walk. For a container, fill `opened` with
    // the pointer marks of its frame.
    virtual bool Value(Kind kind, Frame& opened) = 0;
    // A container ends: `closed` is its frame, `depth` the depth it leaves.
    virtual bool Closed(const Frame& closed, std::size_t depth) = 0;

    std::size_t Depth() const { return FFrames.size(); }
    const Frame* Parent() const { return FFrames.empty() ? nullptr : &FFrames.back(); }
    // The string being read, when the scalar is one.
    const std::string* StringValue() const { return FString; }
    // The scalar being read as a count (see ReadJsonCount), when it is one.
    std::optional<std::string> CountText() const
    {
        if (FHasUnsigned)
            return std::to_string(FUnsigned);
        if (FWrittenNumber && AllDigits(*FWrittenNumber) && FWrittenNumber->size() <= MaxCountTextLength)
            return *FWrittenNumber;
        if (FString && IsCountText(*FString))
            return *FString;
        return std::nullopt;
    }

private:
    bool Scalar()
    {
        Frame unused;
        if (!Value(Kind::Scalar, unused))
            return false;
        Advance();
        return true;
    }

    bool Open(bool array)
    {
        if (FFrames.size() >= MaxJsonDepth)
            return false;
        Frame opened;
        opened.Array = array;
        if (!Value(Kind::Container, opened))
            return false;
        FFrames.push_back(std::move(opened));
        return true;
    }

    bool Close()
    {
        if (!Closed(FFrames.back(), FFrames.size() - 1))
            return false;
        FFrames.pop_back();
        Advance();
        return true;
    }

    void Advance()
    {
        if (!FFrames.empty() && FFrames.back().Array)
            ++FFrames.back().Index;
    }

    std::vector<Frame> FFrames;
    const std::string* FString = nullptr;
    const std::string* FWrittenNumber = nullptr;
    unsigned long long FUnsigned = 0;
    bool FHasUnsigned = false;
};

bool RunWalk(std::string_view page, Walk& walk)
{
    return Json::sax_parse(page.begin(), page.end(), &walk, Json::input_format_t::json, true, false);
}

class CountWalk : public Walk {
public:
    explicit CountWalk(const JsonPointer& pointer) : FPointer(pointer) {}

    std::string Count;

private:
    bool Value(Kind kind, Frame& opened) override
    {
        const std::size_t depth = Depth();
        const bool on = Continues(FPointer, Parent(), Parent() && Parent()->OnMain, depth);
        if (on && depth == FPointer.Tokens().size()) {
            if (kind == Kind::Scalar)
                Count = CountText().value_or(std::string());
            return false; // found: the rest of the page does not matter
        }
        opened.OnMain = on;
        return true;
    }
    bool Closed(const Frame& closed, std::size_t) override
    {
        // The container the pointer leads through has ended without the value.
        return !closed.OnMain;
    }

    const JsonPointer& FPointer;
};

class SuggestionWalk : public Walk {
public:
    SuggestionWalk(const JsonPointer& items, const JsonPointer& phrase, const std::optional<JsonPointer>& count)
        : FItems(items), FPhrase(phrase), FCount(count)
    {
    }

    std::vector<JsonSuggestion> Suggestions;
    bool Complete = false;

private:
    static constexpr std::size_t NoArray = static_cast<std::size_t>(-1);

    bool Value(Kind kind, Frame& opened) override
    {
        const std::size_t depth = Depth();
        if (FItemsDepth == NoArray) {
            const bool on = Continues(FItems, Parent(), Parent() && Parent()->OnMain, depth);
            if (on && depth == FItems.Tokens().size()) {
                if (kind != Kind::Container || !opened.Array)
                    return false;
                FItemsDepth = depth + 1;
                return true;
            }
            opened.OnMain = on;
            return true;
        }
        // Inside the item array: depth FItemsDepth is an item itself.
        const std::size_t inItem = depth - FItemsDepth;
        if (inItem == 0) {
            FPhraseText.reset();
            FCountText.clear();
        }
        const Frame* parent = inItem == 0 ? nullptr : Parent();
        const bool onPhrase = Continues(FPhrase, parent, parent && parent->OnPhrase, inItem);
        const bool onCount = FCount && Continues(*FCount, parent, parent && parent->OnCount, inItem);
        if (onPhrase && inItem == FPhrase.Tokens().size() && kind == Kind::Scalar && StringValue() && !FPhraseText)
            FPhraseText = *StringValue();
        if (onCount && inItem == FCount->Tokens().size() && kind == Kind::Scalar && FCountText.empty())
            FCountText = CountText().value_or(std::string());
        opened.OnPhrase = onPhrase;
        opened.OnCount = onCount;
        if (inItem == 0 && kind == Kind::Scalar)
            ItemEnded();
        return true;
    }

    bool Closed(const Frame&, std::size_t depth) override
    {
        if (FItemsDepth == NoArray)
            return true;
        if (depth == FItemsDepth)
            ItemEnded();
        if (depth + 1 == FItemsDepth) {
            Complete = true;
            return false; // the item array is read: the rest of the page does not matter
        }
        return true;
    }

    void ItemEnded()
    {
        if (FPhraseText)
            Suggestions.push_back({std::move(*FPhraseText), std::move(FCountText)});
        FPhraseText.reset();
        FCountText.clear();
    }

    const JsonPointer& FItems;
    const JsonPointer& FPhrase;
    const std::optional<JsonPointer>& FCount;
    std::size_t FItemsDepth = NoArray;
    std::optional<std::string> FPhraseText;
    std::string FCountText;
};

} // namespace

std::string ReadJsonCount(std::string_view page, const JsonPointer& count)
{
    CountWalk walk(count);
    RunWalk(page, walk);
    return walk.Count;
}

std::vector<JsonSuggestion> ReadJsonSuggestions(std::string_view page, const JsonPointer& items,
                                                const JsonPointer& phrase, const std::optional<JsonPointer>& count)
{
    SuggestionWalk walk(items, phrase, count);
    RunWalk(page, walk);
    if (!walk.Complete)
        return {};
    return std::move(walk.Suggestions);
}
