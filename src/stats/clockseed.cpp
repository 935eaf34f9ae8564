#include "state/random.hpp"

#include <chrono>
#include <random>

std::int16_t varno96::clock_seed() {
    std::minstd_rand GEN(static_cast<std::minstd_rand::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<int> DRAW(1, 99);
    return static_cast<std::int16_t>(-DRAW(GEN));
}
