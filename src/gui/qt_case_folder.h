// Unicode case folding for the list tools, from Qt's character tables.
#pragma once

#include "core/case_folding.h"

class QtCaseFolder : public CaseFolder {
public:
    std::string FoldCase(std::string_view utf8) const override;
};
