#include "growth.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using compound::grow;
using compound::growth;

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits(double x) { return std::bit_cast<std::uint64_t>(x); }

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
        {2147483648.0, -2, 1},                   // beyond a 32-bit counter, even
        {2147483649.0, -2, -1},                  // and odd
        {0x1p70, -3, inf},                       // 2^70 periods: settled magnitude, even count
        {inf, 0.05, inf},                        // overflows and stays there
        {inf, -0.05, 0x0.0000000000009p-1022},   // decays to a fixed tiny value
        {inf, -1, 0},
        {1e30, 1e-17, 1},                        // 1 + rate rounds to 1
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
    const double starts[] = {1.0, -3.5, 0x1p-1060, 0x1.fffffffffffffp1023, 0.0, -0.0};
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
