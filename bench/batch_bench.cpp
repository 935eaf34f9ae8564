// Throughput of the batch path: one sample's table, one sample with both Monte-Carlo passes,
// and reading a file of 1000 samples.
#include "batch/reader.hpp"
#include "batch/sample.hpp"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace varno96;

const char *const header =
    " No    Sample  Min    #      Descr   Ox    SiO2    TiO2   Al2O3   Fe2O3     FeO     MnO"
    "     MgO     CaO    Na2O     K2O\r\n";

std::string sample_lines(int n) {
    const std::string name = "S" + std::to_string(n);
    return "  1 " + name +
           " Grt 1 descr 12 38.50 0.05 21.70 0.00 25.00 0.50 6.40 8.60 0.02 0.00\r\n" + "  2 " +
           name + " Cpx 1 descr  6 55.60 0.08 9.80 0.00 4.40 0.03 8.20 13.60 7.10 0.01\r\n" +
           "  3 " + name +
           " Phe 1 descr 22 50.80 0.55 26.40 0.00 2.10 0.02 3.30 0.02 0.55 10.60\r\n";
}

// The six eclogites of the example with a result, taken in turn: one sample repeated would
// flatter the figures, its identical runs training the branch predictor.
std::vector<sample_input> example_samples() {
    std::vector<sample_input> samples = read_batch_file(VARNO96_EXAMPLES "/SUITE.PRN").samples;
    std::erase_if(samples, [](const sample_input &s) { return s.name == "RT2"; });
    return samples;
}

void run_samples(benchmark::State &state, const choices &how) {
    const std::vector<sample_input> samples = example_samples();
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(compute_sample(samples[next], how));
        next = (next + 1) % samples.size();
    }
    state.SetItemsProcessed(state.iterations());
}

void table_only(benchmark::State &state) {
    choices how;
    how.model = 7, how.t_c = 650;
    run_samples(state, how);
}
BENCHMARK(table_only);

void with_monte_carlo(benchmark::State &state) {
    choices how;
    how.model = 7, how.t_c = 650, how.powell = true, how.monte_carlo = true, how.seed = -42;
    run_samples(state, how);
}
BENCHMARK(with_monte_carlo);

void read_1000_samples(benchmark::State &state) {
    std::string text = header;
    for (int n = 1; n <= 1000; n++) text += sample_lines(n);
    const std::string path =
        (std::filesystem::temp_directory_path() / "varno96-bench-1000.PRN").string();
    std::ofstream(path, std::ios::binary) << text;
    for (auto _ : state) benchmark::DoNotOptimize(read_batch_file(path));
    state.SetItemsProcessed(state.iterations() * 1000);
    std::filesystem::remove(path);
}
BENCHMARK(read_1000_samples);

} // namespace
