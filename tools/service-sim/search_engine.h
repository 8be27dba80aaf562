// A simulated search engine: answers GET requests for its path with its keyword parameter
// (Google "/search?q=", Yahoo "/search?p=", MSN "/results.aspx?q="), other parameters
// such as a paging offset or a redirect mark being ignored.
#pragma once

#include "engine.h"
#include "service.h"

class SearchEngine : public Service {
public:
    explicit SearchEngine(Engine engine) : FEngine(engine) {}

    std::string_view Name() const override { return EngineName(FEngine); }
    bool Matches(const Request& request) const override;
    Response Respond(const Request& request, PageFeatures features) const override;

private:
    std::string_view Path() const;
    std::string_view KeywordParameter() const;

    Engine FEngine;
};
