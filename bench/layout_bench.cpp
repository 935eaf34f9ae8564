// Laying out the diagram of a batch of 1000 and of 10,000 samples with Powell temperatures and
// Monte-Carlo ellipses, crowded as a real suite is: copies of six eclogites scattered about
// each one's result (beyond 500 samples the figure draws densities and writes no names).
#include "plot/plot.hpp"
#include "scene/scene.hpp"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using namespace varno96::plot;

std::vector<batch_sample> crowded_batch(int n) {
    const double centres[6][2] = {{520, 23}, {500, 25},   {470, 22.5},
                                  {560, 27}, {610, 18.5}, {440, 28.5}};
    const char *names[6] = {"EC1", "A7", "B12", "ZS14", "TM3", "DM8"};
    std::mt19937 random(7);
    std::normal_distribution<double> normal;
    std::vector<batch_sample> batch;
    for (int i = 0; i < n; i++) {
        const auto &c = centres[i % 6];
        batch_sample s{std::string(names[i % 6]) + "-" + std::to_string(i + 1),
                       c[0] + 80 * normal(random),
                       c[1] + 2 * normal(random),
                       {},
                       true,
                       200,
                       {},
                       {}};
        std::vector<std::pair<double, double>> runs;
        for (int k = 0; k < 200; k++) {
            const double u = normal(random), v = normal(random);
            runs.emplace_back(s.t_c + 40 * u, s.p_kbar + 1.2 * u + 1.0 * v);
        }
        s.pass2 = moments_of(runs);
        batch.push_back(std::move(s));
    }
    return batch;
}

void layout_crowded_batch(benchmark::State &state) {
    const batch_scene scene = make_batch_scene(crowded_batch(static_cast<int>(state.range(0))), 0);
    std::size_t written = 0;
    for (auto _ : state) {
        const batch_layout layout = layout_batch(scene);
        written = layout.labels.size();
        benchmark::DoNotOptimize(written);
    }
    state.counters["names_written"] = static_cast<double>(written);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(layout_crowded_batch)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace
