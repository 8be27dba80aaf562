#include "suggestions.h"

#include "ascii.h"
#include "html_text.h"
#include "result_count.h"

#include <algorithm>
#include <numeric>

namespace {

struct PhraseTemplate {
    const char* Plain; // "{}" stands for the seed
    const char* Html;  // the same phrase as the service writes it; "{}" is the escaped seed
};

// The seed itself comes first. Several phrases carry the markup and entities such
// tables really had, all of which a clean-up of the cell takes away again.
constexpr PhraseTemplate phraseTemplates[] = {
    { "{}", "{}" },
    { "cheap {}", "cheap {}" },
    { "best {}", "best {}" },
    { "{} reviews", "{} <b>reviews</b>" },
    { "used {}", "<em>used</em> {}" },
    { "{} for sale", "{}&nbsp;for sale" },
    { "{} & accessories", "{} &amp; accessories" },
    { "women's {}", "women&#039;s {}" },
    { "men's {}", "men&#039;s {}" },
    { "discount {}", "discount {}" },
    { "{} online", "{} <wbr>online" },
    { "{} uk", "{} uk" },
    { "{} prices", "<strong>{}</strong> prices" },
    { "{} sets", "{} sets" },
    { "kids {}", "kids {}" },
    { "{} outlet", "{} outlet" },
    { "{} store", "{} store" },
    { "{} brands", "{} <u>brands</u>" },
    { "{} deals", "{} <i>deals</i>" },
    { "custom {}", "custom {}" },
    { "{} for beginners", "{} for&nbsp;beginners" },
    { "{} comparison", "{} comparison" },
    { "how to choose {}", "how to choose {}" },
    { "{} buying guide", "{} buying&nbsp;guide" },
    { "{} wholesale", "{} wholesale" },
    { "second hand {}", "second hand {}" },
    { "{} on sale", "{} on <b>sale</b>" },
    { "{} clearance", "{} clearance" },
    { "top 10 {}", "top 10 {}" },
    { "{} ratings", "{} ratings" },
    { "{} 2008", "{} 2008" },
    { "{} tips & tricks", "{} tips &amp;amp; tricks" },
    { "{} parts", "{} parts" },
    { "{} repair", "{} repair" },
    { "{} info", "{}<br>info" },
    { "replacement {}", "replacement {}" },
    { "{} ebay", "{} ebay" },
    { "{} forum", "{} forum" },
    { "{} review site", "{} review site" },
    { "{} direct", "{} direct" },
    { "{} shop", "{}\tshop" },
    { "{} manufacturers", "{} manufacturers" },
    { "{} catalog", "{} catalog" },
    { "{} accessories", "{} accessories" },
    { "{} pictures", "{} pictures" },
    { "{} news", "{} news" },
    { "{} history", "{} history" },
    { "{} rental", "{} rental" },
    { "{} membership", "{} membership" },
    { "{} lessons", "{} lessons" },
};

std::string Fill(std::string_view text, std::string_view seed)
{
    std::string filled;
    std::size_t hole = text.find("{}");
    filled += text.substr(0, hole);
    if (hole != std::string_view::npos) {
        filled += seed;
        filled += text.substr(hole + 2);
    }
    return filled;
}

std::string_view TrimmedSeed(std::string_view seed)
{
    seed = TrimBlanks(seed);
    return seed.substr(0, std::min(seed.size(), maximumSeedLength));
}

} // namespace

std::size_t SuggestionTemplateCount()
{
    return std::size(phraseTemplates);
}

std::vector<Suggestion> MakeSuggestions(std::string_view seed)
{
    seed = TrimmedSeed(seed);
    if (seed.empty())
        return {};
    const uint64_t hash = Fnv1a64("suggest:" + AsciiLowered(seed));
    const std::size_t rows = 30 + hash % 21;
    const uint64_t seedSearches = 5000 + (hash >> 8) % 200000;

    // The seed first, then the other templates in an order of their own for this seed.
    std::vector<std::size_t> order(std::size(phraseTemplates) - 1);
    std::iota(order.begin(), order.end(), std::size_t { 1 });
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return Fnv1a64(std::to_string(hash) + ":" + std::to_string(a))
            < Fnv1a64(std::to_string(hash) + ":" + std::to_string(b));
    });
    order.insert(order.begin(), 0);
    order.resize(rows);

    const std::string escapedSeed = HtmlEscape(seed);
    std::vector<Suggestion> suggestions;
    for (std::size_t index : order) {
        Suggestion suggestion;
        suggestion.Phrase = Fill(phraseTemplates[index].Plain, seed);
        suggestion.Html = Fill(phraseTemplates[index].Html, escapedSeed);
        // The seed has the most searches; every related phrase from 0.1% to 90% of it.
        suggestion.Searches = index == 0
            ? seedSearches
            : std::max<uint64_t>(1, seedSearches * (1 + Fnv1a64(AsciiLowered(suggestion.Phrase)) % 900) / 1000);
        suggestions.push_back(std::move(suggestion));
    }
    std::stable_sort(suggestions.begin(), suggestions.end(),
        [](const Suggestion& a, const Suggestion& b) { return a.Searches > b.Searches; });
    return suggestions;
}
