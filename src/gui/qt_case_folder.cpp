#include "gui/qt_case_folder.h"

#include <QString>

#include <algorithm>
#include <iterator>

namespace {

// Qt folds each character to one character (simple folding). Full folding turns these
// into two or three, so that "Straße" and "STRASSE" or "ﬁle" and "FILE" fold alike: the
// entries of the Unicode case folding table with status F outside polytonic Greek. None
// of them has a capital that folds to it, except ẞ, listed too.
struct FullFolding {
    char16_t Character;
    const char16_t* Expansion;
};

constexpr FullFolding FullFoldings[] = {
    {u'\u00DF', u"ss"},           {u'\u1E9E', u"ss"},          {u'\u0130', u"i\u0307"},      {u'\u0149', u"\u02BCn"},
    {u'\u01F0', u"j\u030C"},      {u'\u0390', u"\u03B9\u0308\u0301"}, {u'\u03B0', u"\u03C5\u0308\u0301"},
    {u'\u0587', u"\u0565\u0582"}, {u'\u1E96', u"h\u0331"},      {u'\u1E97', u"t\u0308"},
    {u'\u1E98', u"w\u030A"},      {u'\u1E99', u"y\u030A"},      {u'\u1E9A', u"a\u02BE"},
    {u'\uFB00', u"ff"},           {u'\uFB01', u"fi"},           {u'\uFB02', u"fl"},
    {u'\uFB03', u"ffi"},          {u'\uFB04', u"ffl"},          {u'\uFB05', u"st"},
    {u'\uFB06', u"st"},           {u'\uFB13', u"\u0574\u0576"}, {u'\uFB14', u"\u0574\u0565"},
    {u'\uFB15', u"\u0574\u056B"}, {u'\uFB16', u"\u057E\u0576"}, {u'\uFB17', u"\u0574\u056D"},
};

const FullFolding* FullFoldingOf(char16_t c)
{
    const auto found = std::find_if(std::begin(FullFoldings), std::end(FullFoldings),
                                    [c](const FullFolding& entry) { return entry.Character == c; });
    return found == std::end(FullFoldings) ? nullptr : found;
}

} // namespace

std::string QtCaseFolder::FoldCase(std::string_view utf8) const
{
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    QString expanded;
    expanded.reserve(text.size());
    for (const QChar c : text) {
        if (const FullFolding* full = FullFoldingOf(c.unicode()))
            expanded += QString::fromUtf16(full->Expansion);
        else
            expanded += c;
    }
    return expanded.toCaseFolded().toStdString();
}
