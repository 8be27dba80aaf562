#include "engine.h"

std::string_view EngineName(Engine engine)
{
    switch (engine) {
    case Engine::Google: return "google";
    case Engine::Yahoo: return "yahoo";
    case Engine::Msn: return "msn";
    }
    return "";
}
