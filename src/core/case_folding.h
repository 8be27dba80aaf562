// Comparing keywords without regard to letter case, by Unicode case folding. The
// folding tables live with the window's text library; the list reaches them through
// CaseFolder, the way sorting reaches the locale through TextCollator.
#pragma once

#include <string>
#include <string_view>

class CaseFolder {
public:
    virtual ~CaseFolder() = default;
    // The case-folded form of a UTF-8 text, as UTF-8.
    virtual std::string FoldCase(std::string_view utf8) const = 0;
};

// The cell's text (read as the table shows it) case-folded. ASCII text is folded here,
// without a call to the folder: most keywords are ASCII.
std::string FoldedText(std::string_view bytes, const CaseFolder& folder);
