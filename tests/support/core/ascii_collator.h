// A collator for logic tests: ASCII letters compared without case, the rest by byte.
#pragma once

#include "core/keyword_sort.h"

class AsciiCaseInsensitiveCollator : public TextCollator {
public:
    std::vector<uint32_t> RankTexts(const std::vector<const std::string*>& texts) const override;
};
