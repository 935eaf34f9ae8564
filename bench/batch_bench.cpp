// Throughput of the batch path: one sample's table, one sample with both Monte-Carlo passes,
// each with every thermometer intersected, reading a data file of 1000 samples and a microprobe
// export of 200,000 analyses, and the Monte-Carlo passes of many samples on one and on two threads.
#include "api/batch.hpp"
#include "api/pipeline.hpp"

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
std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<sample_wt> example_samples() {
    const file_input in = read_table("SUITE.PRN", read_file(VARNO96_EXAMPLES "/SUITE.PRN"));
    std::vector<sample_wt> samples;
    for (const sample_unit &u : sample_units(in.samples, combine_mode::none))
        if (u.in->name != "RT2") samples.push_back(u.wt);
    return samples;
}

void run_samples(benchmark::State &state, const choices &how) {
    const std::vector<sample_wt> samples = example_samples();
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

// Every thermometer intersected with the barometer, in the table and in the runs of pass 2;
// with `zr`, the Zr-in-rutile ones too.
std::vector<thermometry::any_key> all_thermometers(bool zr = false) {
    std::vector<thermometry::any_key> keys;
    for (std::size_t i = 0; i < thermometry::n_thermometers; i++)
        if (zr || i < thermometry::n_calibrations) keys.push_back(thermometry::thermometer_at(i));
    return keys;
}

void table_with_thermometers(benchmark::State &state) {
    choices how;
    how.model = 7, how.t_c = 650, how.thermometers = all_thermometers();
    run_samples(state, how);
}
BENCHMARK(table_with_thermometers);

// Ferric iron estimated afresh in every run (the default), and once as the dialogue does: the
// first should cost at most half as much again.
void monte_carlo_with_thermometers(benchmark::State &state) {
    choices how;
    how.model = 7, how.t_c = 650, how.powell = true, how.monte_carlo = true, how.seed = -42;
    how.thermometers = all_thermometers();
    how.ferric_each_run = state.range(0) != 0;
    run_samples(state, how);
}
BENCHMARK(monte_carlo_with_thermometers)->ArgName("ferric_each_run")->Arg(1)->Arg(0);

// The same with the Zr-in-rutile thermometers too, each sample with three rutile spots whose
// standard error the runs perturb Zr by: at most 1.2 times monte_carlo_with_thermometers/1.
void monte_carlo_with_zr_in_rutile(benchmark::State &state) {
    choices how;
    how.model = 7, how.t_c = 650, how.powell = true, how.monte_carlo = true, how.seed = -42;
    how.thermometers = all_thermometers(true);
    std::vector<sample_wt> samples = example_samples();
    for (sample_wt &s : samples) s.zr_ppm = {212, 236, 198};
    std::size_t next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(compute_sample(samples[next], how));
        next = (next + 1) % samples.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(monte_carlo_with_zr_in_rutile);

void read_1000_samples(benchmark::State &state) {
    std::string text = header;
    for (int n = 1; n <= 1000; n++) text += sample_lines(n);
    for (auto _ : state) benchmark::DoNotOptimize(read_table("bench.PRN", text));
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(read_1000_samples);

// A microprobe export as it comes: named columns in their own order, Cr2O3 and Total, a label,
// two spots of garnet, one of each other mineral, below-detection marks. Items are lines.
std::string export_table(int samples) {
    std::string text =
        "Sample,Mineral,Point,SiO2,TiO2,Al2O3,Cr2O3,FeO,MnO,MgO,CaO,Na2O,K2O,Total\r\n";
    for (int n = 1; n <= samples; n++) {
        const std::string s = "S" + std::to_string(n);
        text += s + ",Grt," + s +
                "-1,38.50,0.05,21.70,0.02,25.00,0.50,6.40,8.60,0.02,b.d.l.,100.79\r\n";
        text += s + ",Grt," + s + "-2,38.61,0.04,21.62,0.01,24.81,0.52,6.49,8.52,0.03,,100.65\r\n";
        text +=
            s + ",Omp," + s + "-3,55.60,0.08,9.80,0.03,4.40,0.03,8.20,13.60,7.10,0.01,98.85\r\n";
        text +=
            s + ",Phe," + s + "-4,50.80,0.55,26.40,0.01,2.10,0.02,3.30,0.02,0.55,10.60,94.35\r\n";
    }
    return text;
}

void read_200000_export_lines(benchmark::State &state) {
    const std::string text = export_table(50000);
    for (auto _ : state) benchmark::DoNotOptimize(read_table("EXPORT.csv", text));
    state.SetItemsProcessed(state.iterations() * 200000);
}
BENCHMARK(read_200000_export_lines)->Unit(benchmark::kMillisecond);

// Reading the export and computing the mean of each sample, without Monte-Carlo: the whole
// batch but the writing of the rows.
void export_read_and_computed(benchmark::State &state) {
    const std::string text = export_table(50000);
    batch_options o;
    o.model = 7, o.temperature = 650, o.combine = combine_mode::mean, o.seed = -1;
    for (auto _ : state)
        benchmark::DoNotOptimize(compute_batch({{"EXPORT.csv", text}}, o, false, 1));
    state.SetItemsProcessed(state.iterations() * 200000);
}
BENCHMARK(export_read_and_computed)->Unit(benchmark::kMillisecond);

// 64 samples with both Monte-Carlo passes on N threads, rows as the batch gets them. Real time:
// the threads' work is what is measured.
void monte_carlo_on_threads(benchmark::State &state) {
    const std::string text = export_table(64);
    const file_input in = read_table("EXPORT.csv", text);
    const std::vector<sample_unit> units = sample_units(in.samples, combine_mode::mean);
    choices how;
    how.model = 7, how.t_c = 650, how.powell = true, how.monte_carlo = true, how.seed = -42;
    std::size_t computed = 0;
    for (auto _ : state)
        compute_units(units, how, static_cast<unsigned>(state.range(0)),
                      [&](std::size_t, const sample_result &r) { computed += r.ok; });
    if (computed != units.size() * state.iterations())
        state.SkipWithError("a sample has no result");
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(units.size()));
}
BENCHMARK(monte_carlo_on_threads)->Arg(1)->Arg(2)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
