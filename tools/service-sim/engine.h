// The three simulated search engines.
#pragma once

#include <string_view>

enum class Engine { Google, Yahoo, Msn };

// "google", "yahoo", "msn": the service name, also mixed into every figure the engine makes.
std::string_view EngineName(Engine engine);
