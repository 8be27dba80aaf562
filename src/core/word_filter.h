// Remove Rows Containing and Keep Only Rows Containing: rows whose keyword holds any of
// the given words or phrases as whole words, letter case ignored.
#pragma once

#include "core/case_folding.h"
#include "core/keyword_list.h"
#include "core/list_undo.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The phrases of the dialog's text: one per line, lines without a word left out.
std::vector<std::string> PhraseLines(std::string_view text);

// The words of a case-folded UTF-8 text: the runs of letters and digits. A character
// beyond ASCII counts as a letter unless it is one of the punctuation, space or symbol
// characters of Latin-1 (U+00A0 to U+00BF, U+00D7, U+00F7), General Punctuation
// (U+2000 to U+206F) or CJK Symbols and Punctuation (U+3000 to U+303F).
std::vector<std::string_view> WordsOf(std::string_view folded);

class WordFilter {
public:
    WordFilter(const std::vector<std::string>& phrases, const CaseFolder& folder);
    WordFilter(const WordFilter&) = delete;
    WordFilter& operator=(const WordFilter&) = delete;

    // True when the keyword's words hold the words of any phrase, in a row.
    bool Matches(std::string_view keyword) const;
    bool IsEmpty() const { return FPhrases.empty(); }

private:
    const CaseFolder& FFolder;
    std::vector<std::string> FFoldedPhrases;
    std::vector<std::vector<std::string_view>> FPhrases; // words, into FFoldedPhrases
    std::unordered_map<std::string_view, std::vector<std::size_t>> FByFirstWord;
};

std::vector<bool> MatchingRows(const KeywordList& list, const WordFilter& filter);
int CountMatchingRows(const KeywordList& list, const WordFilter& filter);

enum class FilterMode { RemoveMatching, KeepMatching };

// Takes out the matching rows, or every other row, and remembers them for Undo.
// Returns how many went.
int FilterRows(KeywordList& list, const WordFilter& filter, FilterMode mode, ListUndo& undo);
