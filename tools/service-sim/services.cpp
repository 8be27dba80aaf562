#include "json_services.h"
#include "search_engine.h"
#include "service.h"
#include "suggestion_service.h"

#include <array>

std::vector<std::unique_ptr<Service>> BuildServices(const ChallengeOptions& challenge)
{
    std::vector<std::unique_ptr<Service>> services;
    services.push_back(std::make_unique<SearchEngine>(Engine::Google));
    services.push_back(std::make_unique<SearchEngine>(Engine::Yahoo));
    services.push_back(std::make_unique<SearchEngine>(Engine::Msn));
    services.push_back(std::make_unique<SuggestionService>(challenge));
    services.push_back(std::make_unique<ChallengeImageService>(challenge.Characters));
    services.push_back(std::make_unique<JsonCountApi>());
    services.push_back(std::make_unique<OpenSearchSuggestions>());
    return services;
}

bool IsKnownServiceName(std::string_view name)
{
    static constexpr std::array<std::string_view, 4> names = { "google", "yahoo", "msn", "suggest" };
    for (std::string_view known : names) {
        if (name == known)
            return true;
    }
    return false;
}
