// A case folder for logic tests: ASCII letters, and the few letters beyond ASCII the
// tests spell keywords with (É, Ü, Σ and final ς, and ß folding to "ss").
#pragma once

#include "core/case_folding.h"

#include <string>
#include <utility>

class TableCaseFolder : public CaseFolder {
public:
    std::string FoldCase(std::string_view utf8) const override
    {
        static const std::pair<std::string_view, std::string_view> Foldings[] = {
            {"\xC3\x89", "\xC3\xA9"}, {"\xC3\x9C", "\xC3\xBC"}, {"\xCE\xA3", "\xCF\x83"},
            {"\xCF\x82", "\xCF\x83"}, {"\xC3\x9F", "ss"}};
        ++Calls;
        std::string folded;
        for (std::size_t i = 0; i < utf8.size();) {
            bool replaced = false;
            for (const auto& [from, to] : Foldings) {
                if (utf8.substr(i, from.size()) == from) {
                    folded += to;
                    i += from.size();
                    replaced = true;
                    break;
                }
            }
            if (replaced)
                continue;
            const char c = utf8[i++];
            folded += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        }
        return folded;
    }

    mutable int Calls = 0;
};
