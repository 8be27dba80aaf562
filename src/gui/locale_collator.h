// Orders keywords the way the user's locale does, letter case ignored.
#pragma once

#include "core/keyword_sort.h"

class LocaleCollator : public TextCollator {
public:
    std::vector<uint32_t> RankTexts(const std::vector<const std::string*>& texts) const override;
};
