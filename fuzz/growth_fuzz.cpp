// Differential fuzzing of the growth factor: arbitrary factors, steps and
// terms through the fast code, checked bit for bit against the plain loop.
// Steps near one, where the runs and the overflow bound work, are built often.
#include "growth.hpp"
#include "per_period.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::uint64_t longest_term = 300'000;

double any_double(FuzzedDataProvider& input)
{
    return std::bit_cast<double>(input.ConsumeIntegral<std::uint64_t>());
}

double some_step(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return any_double(input);
    case 1:
        return input.ConsumeFloatingPointInRange(-3.0, 3.0);
    default: {
        // 1 + or - a rate of up to 20 bits, between about 2^-20 and 2^-95.
        const auto offset = static_cast<double>(input.ConsumeIntegralInRange(1, 1 << 20));
        const double step = 1 + (input.ConsumeBool() ? 1 : -1) *
                                    std::ldexp(offset, -input.ConsumeIntegralInRange(40, 95));
        return input.ConsumeBool() ? -step : step;
    }
    }
}

double some_factor(FuzzedDataProvider& input, double step)
{
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return step;
    case 1:
        return any_double(input);
    case 2: // subnormals and the lowest binade
        return std::bit_cast<double>(input.ConsumeIntegralInRange<std::uint64_t>(0, 1ULL << 53));
    default:
        return std::ldexp(input.ConsumeFloatingPointInRange(1.0, 2.0),
                          input.ConsumeIntegralInRange(-1074, 1023));
    }
}

void fail(const char* what, double factor, double step, double term, double fast, double plain)
{
    std::fprintf(stderr, "%s: factor %a, step %a, term %.17g: fast %a, plain %a\n", what, factor,
                 step, term, fast, plain);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const double step = some_step(input);
    const double factor = some_factor(input, step);
    const auto periods = input.ConsumeIntegralInRange<std::uint64_t>(0, longest_term);

    const double fast = compound::grow(factor, step, periods);
    const double plain = per_period(factor, step, periods);
    if (!same_factor(plain, fast)) {
        fail("grow", factor, step, static_cast<double>(periods), fast, plain);
    }

    // The whole term, with a fractional part, through the entry point.
    const double years = static_cast<double>(periods) - input.ConsumeProbability<double>();
    const double rate = step - 1;
    const double first = 1.0 + rate;
    const double expected =
        years > 1 ? per_period(first, first, static_cast<std::uint64_t>(std::ceil(years)) - 1)
                  : first;
    const double term = compound::growth(years, rate);
    if (!same_factor(expected, term)) {
        fail("growth", first, first, years, term, expected);
    }
    return 0;
}
