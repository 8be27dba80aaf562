// The services as data: the search engines Gather Data asks (one table column each, in
// this order) and the source Gather Keywords asks, as a profile file describes them or
// as the program has them built in.
#pragma once

#include "core/request_template.h"
#include "util/json_pointer.h"

#include <optional>
#include <string>
#include <vector>

enum class PageFormat { Markers, Json };

struct EngineProfile {
    std::string Name; // column caption and CSV header field
    RequestTemplate Precise;
    RequestTemplate Broad;
    PageFormat Format = PageFormat::Markers;
    // Markers: the count is the text between Start and End after Skip (Skip optional).
    std::string Skip;
    std::string Start;
    std::string End;
    // Json: where the count stands.
    JsonPointer Count;
    std::vector<RequestTemplate> Headers; // "Name: value" lines
    // Pacing: the least wait between two requests to this engine, a random part added
    // to it, and a text whose presence in an answer means the engine refuses to answer
    // (none when empty).
    int DelayMs = 0;
    int JitterMs = 0;
    std::string Blocked;
};

enum class KeywordExpansion { None, Alphabet };

struct SuggestProfile {
    RequestTemplate URL;
    PageFormat Format = PageFormat::Markers;
    // Markers: the suggestion table's walk.
    std::string After;
    std::string CountStart;
    std::string CountEnd;
    std::string PhraseStart;
    std::string PhraseEnd;
    // Json: the item array, and inside an item its phrase (empty: the item) and count.
    JsonPointer Items;
    JsonPointer Phrase;
    std::optional<JsonPointer> Count;
    // A page holding Challenge (exactly so) asks for the security image; AnswerURL sends
    // the answer. No challenge is looked for when Challenge is empty.
    std::string Challenge;
    RequestTemplate AnswerURL;
    KeywordExpansion Expand = KeywordExpansion::None;
    std::vector<RequestTemplate> Headers;
};

struct ServiceProfile {
    std::vector<EngineProfile> Engines; // 1 to MaxEngines
    std::optional<SuggestProfile> Suggest;

    static constexpr int MaxEngines = 8;
};
