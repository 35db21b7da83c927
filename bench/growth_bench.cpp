// Time of the growth factor: per period on a term no shortcut applies to,
// against a bare chain of as many dependent multiplications, and whole long
// terms that settle, overflow or take runs.
#include "growth.hpp"
#include "per_period.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <string>

namespace {

constexpr std::uint64_t chain_periods = 10'000'000;

void bare_multiplications(benchmark::State& state)
{
    double step = 1 + 1e-7;
    for (auto _ : state) {
        benchmark::DoNotOptimize(step);
        benchmark::DoNotOptimize(per_period(step, step, chain_periods - 1));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * chain_periods));
}

void growth_without_shortcut(benchmark::State& state)
{
    double years = chain_periods;
    for (auto _ : state) {
        benchmark::DoNotOptimize(years);
        benchmark::DoNotOptimize(compound::growth(years, 1e-7));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * chain_periods));
}

// A long term, given as years and rate.
void long_term(benchmark::State& state, double years, double rate)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(years);
        benchmark::DoNotOptimize(compound::growth(years, rate));
    }
}

constexpr double longest_int_term = 2147483647;
constexpr double infinite_term = std::numeric_limits<double>::infinity();

struct LongTerm {
    const char* name;
    double years;
    double rate;
};

// Long terms, each named for what ends it early.
constexpr LongTerm long_terms[] = {
    {"settles/rate:0", longest_int_term, 0.0},
    {"settles/rate:1e-17", longest_int_term, 1e-17},
    {"overflows/rate:0.05", longest_int_term, 0.05},
    {"decays/rate:-0.05", longest_int_term, -0.05},
    {"alternates/rate:-2", longest_int_term, -2.0},
    {"runs/rate:1e-12", longest_int_term, 1e-12},
    {"runs/rate:-1e-12", longest_int_term, -1e-12},
    {"runs/rate:2^-52", longest_int_term, 0x1p-52},
    {"bound/term:1e15/rate:1e-9", 1e15, 1e-9},
    {"bound/term:inf/rate:1e-9", infinite_term, 1e-9},
    {"runs/term:inf/rate:-1e-12", infinite_term, -1e-12},
};

BENCHMARK(bare_multiplications)->Unit(benchmark::kMillisecond);
BENCHMARK(growth_without_shortcut)->Unit(benchmark::kMillisecond);

// Keeps the time per period of the two chains, to report their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration ? run.repetitions <= 1
                                                  : run.aggregate_name == "median") {
                seconds_[run.run_name.function_name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto bare = seconds_.find("bare_multiplications");
        const auto growth = seconds_.find("growth_without_shortcut");
        if (bare != seconds_.end() && growth != seconds_.end()) {
            const double ns_per_period = 1e9 / static_cast<double>(chain_periods);
            std::printf("\nns per period: growth %.3f, bare multiplications %.3f, ratio %.3f\n",
                        growth->second * ns_per_period, bare->second * ns_per_period,
                        growth->second / bare->second);
        }
    }

  private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv)
{
    for (const LongTerm& term : long_terms) {
        benchmark::RegisterBenchmark((std::string("long_term/") + term.name).c_str(), long_term,
                                     term.years, term.rate);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
