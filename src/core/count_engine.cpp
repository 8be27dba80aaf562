#include "core/count_engine.h"

#include "core/keyword_list.h"
#include "core/result_counts.h"

#include <memory>

std::vector<CountEngine> ProfileCountEngines(const std::vector<EngineProfile>& engines)
{
    std::vector<CountEngine> lanes;
    for (std::size_t index = 0; index < engines.size(); ++index) {
        // Each lane keeps its own copy: it outlives nothing the window may change.
        const auto engine = std::make_shared<const EngineProfile>(engines[index]);
        CountEngine lane;
        // The user meets the engine by its column's caption, in questions too.
        lane.Name = engine->Name;
        lane.Cell = KeywordRow::FirstEngineCell + static_cast<int>(index);
        lane.RequestURL = [engine](const std::string& keyword, int searchMode) {
            return SearchRequestURL(*engine, keyword, searchMode);
        };
        lane.RequestHeaders = [engine](const std::string& keyword) { return SearchRequestHeaders(*engine, keyword); };
        lane.ReadCount = [engine](const std::string& page) { return ReadResultCount(*engine, page); };
        lane.Delay = engine->DelayMs;
        lane.Jitter = engine->JitterMs;
        lane.Blocked = engine->Blocked;
        lanes.push_back(std::move(lane));
    }
    return lanes;
}
