// Reading values out of downloaded pages without parsing HTML: cut the text between two
// markers while walking forward through the page, and clean a cut fragment of the
// markup and entities the services put into table cells.
#pragma once

#include <string>
#include <string_view>

// Finds startMarker, then endMarker after it, and returns the text between them.
// Markers match with ASCII letters folded ('a'..'z' against 'A'..'Z'); every other byte,
// those above 127 included, must match exactly. The fragment keeps the page's case.
//   - startMarker absent (or empty): returns "" and leaves working unchanged.
//   - endMarker absent after it (or empty): returns "" and working becomes the text
//     after startMarker.
//   - otherwise working becomes the text from endMarker on (it begins with endMarker),
//     so the next call with the same markers finds the next occurrence.
std::string CutBetween(std::string& working, std::string_view startMarker, std::string_view endMarker);

// The same walk over a view of a page the caller keeps alive. Shrinking a view costs
// nothing, where shrinking a string moves its whole tail; readers that walk a large page
// with many cuts use this one.
std::string CutBetween(std::string_view& working, std::string_view startMarker, std::string_view endMarker);

// Replaces the first occurrence of find (case-sensitive) until none is left, so an
// occurrence that a replacement forms with the text around it is replaced as well:
// ReplaceAll("a&amp;amp;b", "&amp;", "&") gives "a&b". An empty find returns text
// unchanged. So that it always ends, the replacement must be shorter than find, or find
// one byte that the replacement does not hold (every clean-up pair is one or the other);
// any other pair throws std::invalid_argument, whatever the text.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

// Applies the fixed list of clean-up replacements to a table cell, in their order, then
// removes every leading and trailing byte of code 32 or less.
std::string CleanHtml(std::string_view fragment);
