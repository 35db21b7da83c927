#include "growth.hpp"
#include "per_period.h"

#include <gtest/gtest.h>

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
constexpr std::uint64_t long_term = std::uint64_t{1} << 62;

::testing::AssertionResult same(double expected, double actual)
{
    if (same_factor(expected, actual)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << std::hexfloat << actual << ", expected " << expected;
}

struct Term {
    double years;
    double rate;
    double factor;
};

// Exact factors, where the last bits are what a power function would get wrong,
// and long terms that only shortcuts finish in time (those of 2^60 periods and
// more checked against an exact model of each product).
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
        {1e30, 1e-17, 1},                                       // 1 + rate rounds to 1
        {1e30, -1e-15, 0x0.1c71c71c71c71p-1022},                // runs until settled
        {0x1.8p61, 0x1p-52, inf},                               // the first period that overflows
        {0x1.7ffffffffffffp61, 0x1p-52, 0x1.ffffffffffcp+1023}, // 512 before it
        {inf, -1e-12, 0x0.000746afb4f7p-1022}, // runs down to where a period rounds back
    };
    for (const Term& t : terms) {
        EXPECT_TRUE(same(t.factor, growth(t.years, t.rate))) << t.years << ", " << t.rate;
    }
}

TEST(Growth, AppliesOnePeriodAtOrBelowOne)
{
    for (const double years : {1.0, 0.5, 0.0, -0.0, -3.0, -inf, nan, 0x1p-1074}) {
        EXPECT_TRUE(same(1.05, growth(years, 0.05))) << years;
    }
    EXPECT_TRUE(same(1.05 * 1.05, growth(1.0000001, 0.05)));
}

// A factor that ends alternating has no final value over an infinite term.
TEST(Growth, InfiniteTermOfNegativeStepIsNan)
{
    for (const double rate : {-2.0, -3.0, -1.5, -inf}) {
        EXPECT_TRUE(std::isnan(growth(inf, rate))) << rate;
    }
    EXPECT_TRUE(std::isnan(growth(3, nan)));
    EXPECT_TRUE(std::isnan(growth(3, -nan)));
}

struct Grown {
    double factor;
    double step;
    std::uint64_t periods;
    double expected;
};

// A NaN carried in, or made by zero times infinity, after no period, one, or
// more than can be counted one by one.
TEST(Grow, CarriesNan)
{
    const Grown cases[] = {
        {0, inf, 0, 0},           {-0.0, -inf, long_term, nan},
        {inf, 0, 1, nan},         {-inf, 0, 0, -inf},
        {1, nan, 0, 1},           {1, nan, 1, nan},
        {nan, 1, long_term, nan}, {1, -nan, long_term, nan},
    };
    for (const Grown& c : cases) {
        EXPECT_TRUE(same(c.expected, grow(c.factor, c.step, c.periods)))
            << c.factor << " x " << c.step << " ^ " << c.periods;
    }
}

// Every term up to 70 periods from the start, against the plain loop.
void expect_plain_loop(double start, double step)
{
    double plain = start;
    for (std::uint64_t periods = 0; periods <= 70; ++periods, plain *= step) {
        ASSERT_TRUE(same(plain, grow(start, step, periods)))
            << std::hexfloat << start << " x " << step << " ^ " << periods;
    }
}

TEST(Grow, MatchesThePlainLoopOnShortTerms)
{
    for (const double start :
         {1.0, 1.5, -3.5, 0x1p-1022, 0x1p-1060, 0x1.fffffffffffffp1023, 0.0, -0.0}) {
        for (const double step :
             {1.05, 0.95, -1.0, -0.5, 1 + 0x1p-52, 1 - 0x1p-53, 2.0, -3.0, 0.0}) {
            expect_plain_loop(start, step);
            EXPECT_TRUE(same(per_period(start, step, 20000), grow(start, step, 20000)));
        }
    }
}

// A run of equal moves ends at the edge of its window, at a tie, or at the
// edge of its binade: starts a few periods either side of each.
TEST(Grow, TakesRunsUpToEveryEdge)
{
    const struct {
        double step;
        double start;
    } starts[] = {
        {1 + 0x1p-52, 0x1.7fffffffffffcp+0},    // moves of 1 up to a tie at 1.5
        {1 + 0x1p-52, 0x1.ffffffffffff0p+0},    // into the next binade
        {1 + 0x1p-52, 0x1.fffffffffff80p+1023}, // into infinity
        {1 + 0x1p-52, 0x0.ffffffffffff0p-1022}, // from the subnormals to the normals
        {1 + 0x1p-28, 0x1.000000dfffff6p+0},    // rounded up, to a tie at the window's edge
        {1 + 0x1p-28, 0x1.0000000000000p+0},    // the largest step that takes runs
        {1 + 0x1p-28, 0x1.fffffff000000p+0},    //
        {1 + 0x1p-28, 0x0.0000001000000p-1022}, //
        {1 - 0x1p-52, 0x1.0000000000000p+0},    // from a power of two
        {1 - 0x1p-52, 0x1.0000000000004p+0},    // onto it
        {1 - 0x1p-52, 0x1.0000000000004p-1022}, // into the subnormals
        {1 - 0x3p-53, 0x1.aaaaaaaaaaab0p+0},    // down to a window's edge, rounded up
        {1 - 0x1p-28, 0x1.000001200000ap+0},    // rounded down, to a tie at the window's edge
        {1 - 0x1p-28, 0x1.0000008000000p+0},    // the largest step that takes runs
        {1 - 0x1p-28, 0x1.0000008000000p-1022}, //
        {1 - 0x1p-28, 0x0.0000008000028p-1022}, // down to a tie that settles
        {1 - 0x1p-28, 0x1.0000018p+0},          // a tie in the first period
    };
    for (const auto& s : starts) {
        expect_plain_loop(s.start, s.step);
        expect_plain_loop(-s.start, -s.step);
    }
}

// Seeded random steps near one, across binades into the subnormals, some
// terms long enough for thousands of runs, against the plain loop.
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
        const std::uint64_t periods = term(random) * (i % 100 == 0 ? 300 : 1);
        EXPECT_TRUE(same(per_period(start, 1 + rate, periods), grow(start, 1 + rate, periods)))
            << std::hexfloat << start << " x (1 + " << rate << ") ^ " << periods;
    }
}

// The bound against the first period that overflows, found the plain way.
TEST(PeriodsToOverflow, IsNeverEarlyAndBarelyLate)
{
    for (const double step : {1 + 0x1p-14, 1.001, 1.05, 2.0, 1e10}) {
        for (const double start : {1.0, 0x1p-1022, 0x1.fffp1000, 0x1.fffffffffffffp1023}) {
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

} // namespace
