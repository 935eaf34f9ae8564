// Stands in for the clock seed in tests: the seed is taken from VARNO96_SEED (default -42).
#include "stats/stats.hpp"

#include <cstdlib>

std::int16_t CLOCKSEED() {
    const char *S = std::getenv("VARNO96_SEED");
    return static_cast<std::int16_t>(S != nullptr && *S != '\0' ? std::atoi(S) : -42);
}
