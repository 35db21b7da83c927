#include "growth.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace {

using compound::grow;
using compound::growth;
using compound::periods_to_overflow;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits(double x)
{
    return std::bit_cast<std::uint64_t>(x);
}

// The factor the plain way: one rounded product per period, nothing else.
double per_period(double factor, double step, std::uint64_t periods)
{
    for (; periods > 0; --periods) {
        factor *= step;
    }
    return factor;
}

struct Term {
    double years;
    double rate;
    double factor;
};

// Exact factors, where the last bits are what a power function would get wrong.
TEST(Growth, PinsExactFactors)
{
    const Term terms[] = {
        {3, 0.05, 0x1.285a1cac08313p+0}, // 1000 of it is 1157.6250000000002
        {3, 0.01, 0x1.07c1ce6c093d9p+0}, // a correctly rounded power ends ...3dap+0
        {2.5, 0.05, 0x1.285a1cac08313p+0},
        {2147483648.0, -2, 1},                 // beyond a 32-bit counter, even
        {2147483649.0, -2, -1},                // and odd
        {0x1p70, -3, inf},                     // 2^70 periods: settled magnitude, even count
        {inf, 0.05, inf},                      // overflows and stays there
        {inf, -0.05, 0x0.0000000000009p-1022}, // decays to a fixed tiny value
        {inf, -1, 0},
        {1e30, 1e-17, 1}, // 1 + rate rounds to 1
    };
    for (const Term& t : terms) {
        EXPECT_EQ(bits(growth(t.years, t.rate)), bits(t.factor)) << t.years << ", " << t.rate;
    }
}

TEST(Growth, AppliesOnePeriodAtOrBelowOne)
{
    for (const double years : {1.0, 0.5, 0.0, -0.0, -3.0, -inf, nan, 0x1p-1074}) {
        EXPECT_EQ(bits(growth(years, 0.05)), bits(1.05)) << years;
    }
    EXPECT_EQ(bits(growth(1.0000001, 0.05)), bits(1.05 * 1.05));
}

// A factor that ends alternating has no final value over an infinite term.
TEST(Growth, InfiniteTermOfNegativeStepIsNan)
{
    for (const double rate : {-2.0, -3.0, -1.5, -inf}) {
        EXPECT_TRUE(std::isnan(growth(inf, rate))) << rate;
    }
    EXPECT_TRUE(std::isnan(growth(3, nan)));
}

TEST(Grow, MatchesThePlainLoopOnShortTerms)
{
    const double starts[] = {1.0, 1.5, -3.5, 0x1p-1022, 0x1p-1060, 0x1.fffffffffffffp1023,
                             0.0, -0.0};
    const double steps[] = {1.05, 0.95, -1.0, -0.5, 1 + 0x1p-52, 1 - 0x1p-53, 2.0, -3.0, 0.0};
    for (const double start : starts) {
        for (const double step : steps) {
            for (const std::uint64_t periods : {0, 1, 2, 3, 64, 65, 1000, 20000}) {
                EXPECT_EQ(bits(grow(start, step, periods)), bits(per_period(start, step, periods)))
                    << start << " x " << step << " ^ " << periods;
            }
        }
    }
}

} // namespace

// Steps near one are taken in runs of equal increments: seeded random cases
// across binades, into the subnormal range, against the plain loop.
TEST(Grow, TakesRunsExactly)
{
    std::mt19937_64 random(20261209);
    std::uniform_real_distribution<double> digits(-16, -6);
    std::uniform_real_distribution<double> significand(1, 2);
    std::uniform_int_distribution<int> exponent(-1074, 1023);
    std::uniform_int_distribution<std::uint64_t> term(0, 100'000);
    for (int i = 0; i < 1500; ++i) {
        const double rate = (i % 2 == 0 ? 1 : -1) * std::pow(10.0, digits(random));
        const double start =
            (i % 3 == 0 ? -1 : 1) * std::ldexp(significand(random), exponent(random));
        const std::uint64_t periods = term(random);
        EXPECT_EQ(bits(grow(start, 1 + rate, periods)), bits(per_period(start, 1 + rate, periods)))
            << std::hexfloat << start << " x (1 + " << rate << ") ^ " << periods;
    }
}

// The bound against the first period that overflows, found the plain way.
TEST(PeriodsToOverflow, IsNeverEarlyAndBarelyLate)
{
    for (const double step : {1 + 0x1p-14, 1.001, 1.05, 2.0, 1e10}) {
        for (const double start : {1.0, 0x1p-1022, 0x1.fffp1000}) {
            std::uint64_t first = 0;
            for (double factor = start; std::isfinite(factor); factor *= step) {
                ++first;
            }
            const std::uint64_t bound = periods_to_overflow(start, step);
            EXPECT_GE(bound, first) << step << " from " << start;
            EXPECT_LE(bound, first + first / (1 << 19) + 3) << step << " from " << start;
            EXPECT_EQ(grow(start, step, first - 1), per_period(start, step, first - 1));
            EXPECT_EQ(grow(start, -step, first), first % 2 == 0 ? inf : -inf);
        }
    }
}
