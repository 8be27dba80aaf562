// Header lines with their name lookup, continuation joining and folding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Header lines "Name: value"; a line beginning with a space or a tab continues the line
// before it. Names are found without regard to case.
class TIdHeaderList {
public:
    int Count() const { return static_cast<int>(FLines.size()); }
    const std::string& operator[](int index) const { return FLines.at(static_cast<size_t>(index)); }
    void Put(int index, std::string line);
    void Add(std::string line);
    void Insert(int index, std::string line);
    void Delete(int index);
    void Clear() { FLines.clear(); }
    // Copies the lines of another list; this list's settings stay.
    void Assign(const TIdHeaderList& source) { FLines = source.FLines; }
    void AddStrings(const TIdHeaderList& source);
    // Every line followed by CR LF.
    std::string Text() const;
    const std::vector<std::string>& Lines() const { return FLines; }

    // The line up to its first ":", upper-cased unless MatchCase; empty without ":".
    std::string NameAt(int index) const;
    // The line after its first ":" (a line without one: all of it), with the
    // continuation lines after it joined on by one space when JoinContinuations,
    // trimmed; empty for an index outside the list.
    std::string ValueAt(int index) const;
    // The first line whose name equals name ignoring case; -1 when none.
    int FindName(std::string_view name) const;
    std::string ValueOf(std::string_view name) const;
    // Replaces the first line of that name where it stands (with its continuation
    // lines), or appends one; folds the new line when FoldOnSet. An empty value removes
    // the line.
    void SetValueOf(std::string_view name, std::string_view value);
    // Appends the value of every line of that name, in order, to destination (when
    // there is one).
    void ExtractAll(std::string_view name, TIdHeaderList* destination) const;
    // The line broken after a space, tab or comma into pieces of about FoldWidth
    // columns, never inside double quotes; the pieces after the first begin with a
    // space. A line that fits comes back as one piece.
    std::vector<std::string> FoldHeaderLine(std::string_view line) const;

    std::string Separator = ": ";
    bool MatchCase = false;
    bool JoinContinuations = true;
    bool FoldOnSet = true;
    int FoldWidth = 78;

private:
    // The line up to its first ":", as it stands; empty without ":".
    std::string_view NameViewAt(int index) const;
    bool IsContinuation(int index) const;
    void DeleteContinuations(int index);

    std::vector<std::string> FLines;
};

// Inserts breakText where the text passes width columns, after the last of
// breakCharacters seen; never inside double quotes; a breakText already in the text is
// kept as a break.
std::string WrapHeaderText(std::string_view text, std::string_view breakText, std::string_view breakCharacters,
                           int width);
