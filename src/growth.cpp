// The growth factor, fast for long terms.
//
// Promise: every result here is bit for bit what multiplying period by period
// gives, each product rounded to nearest on its own. The shortcuts below only
// skip periods whose outcome is already decided exactly.
//
// The sign is taken apart first: rounding to nearest is symmetric, so each
// product has the magnitude of |factor| * |step| rounded and the sign of the
// two signs. The magnitudes then form a monotone sequence (growing for a step
// above one, shrinking below), so once one period leaves the magnitude
// unchanged, every later period does too: it has settled. Every magnitude
// settles, at the latest on infinity or zero, within fewer than 2^63 periods.
#include "growth.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numbers>

namespace compound {
namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr std::uint64_t one = 1;

bool same_bits(double x, double y) noexcept
{
    return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

// ---------------------------------------------------------------------------
// Exact 64 x 64 -> 128-bit products.

struct Wide {
    std::uint64_t high;
    std::uint64_t low;
};

constexpr Wide multiply_wide_portable(std::uint64_t x, std::uint64_t y) noexcept
{
    const std::uint64_t x_low = x & 0xffffffff, x_high = x >> 32;
    const std::uint64_t y_low = y & 0xffffffff, y_high = y >> 32;
    const std::uint64_t low_low = x_low * y_low;
    const std::uint64_t high_low = x_high * y_low;
    const std::uint64_t low_high = x_low * y_high;
    const std::uint64_t middle = (low_low >> 32) + (high_low & 0xffffffff) + low_high;
    return {x_high * y_high + (high_low >> 32) + (middle >> 32),
            (middle << 32) | (low_low & 0xffffffff)};
}

static_assert(multiply_wide_portable(~std::uint64_t{0}, ~std::uint64_t{0}).high ==
              ~std::uint64_t{1});
static_assert(multiply_wide_portable(~std::uint64_t{0}, ~std::uint64_t{0}).low == 1);
static_assert(multiply_wide_portable(one << 52, (one << 53) - 1).high == (one << 41) - 1);
static_assert(multiply_wide_portable(0x123456789abcdef0, 0xfedcba9876543210).high ==
              0x121fa00ad77d7422);
static_assert(multiply_wide_portable(0x123456789abcdef0, 0xfedcba9876543210).low ==
              0x236d88fe5618cf00);

Wide multiply_wide(std::uint64_t x, std::uint64_t y) noexcept
{
#ifdef __SIZEOF_INT128__
    __extension__ using uint128 = unsigned __int128;
    const uint128 product = static_cast<uint128>(x) * y;
    return {static_cast<std::uint64_t>(product >> 64), static_cast<std::uint64_t>(product)};
#else
    return multiply_wide_portable(x, y);
#endif
}

// ---------------------------------------------------------------------------
// A positive finite double taken apart as significand * 2^(scale - 1074): the
// significand is a whole number below 2^53 and 2^(scale - 1074) is the ulp.
// Subnormals and the lowest binade share scale 0, since they share the ulp
// 2^-1074; above it, scale is the biased exponent less one and the
// significand carries the implicit bit. Either way the bits of the double are
// (scale << 52) + significand.

constexpr std::uint64_t implicit_bit = one << 52;

std::uint64_t fraction_of(double x) noexcept
{
    return std::bit_cast<std::uint64_t>(x) & (implicit_bit - 1);
}

std::uint64_t scale_of(double x) noexcept
{
    const std::uint64_t biased_exponent = std::bit_cast<std::uint64_t>(x) >> 52;
    return biased_exponent == 0 ? 0 : biased_exponent - 1;
}

std::uint64_t significand_of(double x) noexcept
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    return (bits >> 52) == 0 ? bits : fraction_of(x) | implicit_bit;
}

double from_scale_and_significand(std::uint64_t scale, std::uint64_t significand) noexcept
{
    return std::bit_cast<double>((scale << 52) + significand);
}

// ---------------------------------------------------------------------------
// The plain chain: one dependent multiplication per period and nothing else
// on it. Whether the magnitude has settled is checked once a block, off the
// chain; a magnitude that settles inside a block is unchanged by its last
// period too.

double multiply_in_blocks(double magnitude, double step, std::uint64_t periods) noexcept
{
    constexpr std::uint64_t block = 64;
    for (; periods >= block; periods -= block) {
        for (std::uint64_t i = 1; i < block; ++i) {
            magnitude *= step;
        }
        const double before = magnitude;
        magnitude *= step;
        if (same_bits(magnitude, before)) {
            return magnitude;
        }
    }
    for (; periods > 0; --periods) {
        magnitude *= step;
    }
    return magnitude;
}

// ---------------------------------------------------------------------------
// Runs of equal steps, for a step within 2^-28 of one.
//
// Take the magnitude apart as M * ulp and write the step as 1 + k * 2^-52
// above one, or 1 - k * 2^-53 below. One period turns M into M +- x, with
// x = M * k / 2^52 (or / 2^53) exactly, rounded to a whole number: M +- D,
// where D is x rounded to nearest, as long as the result stays in the binade.
// While x stays strictly inside (D - 1/2, D + 1/2) and M +- D stays in the
// binade, every period moves M by the same D, so a run of t periods is
// M +- t * D, and t follows from one division. Ties, changes of binade and
// the end of each run are left to one ordinary multiplication, which is exact
// by definition.
//
// Below 2^-28 runs last over a hundred periods; above it the plain chain is
// faster. The bound also keeps D * k below 2^51.

constexpr double run_threshold = 0x1p-28;

bool takes_runs(double step) noexcept
{
    return step != 1 && std::fabs(step - 1) <= run_threshold;
}

double take_runs(double magnitude, double step, std::uint64_t periods) noexcept
{
    const bool rising = step > 1;
    const std::uint64_t k = rising ? fraction_of(step) : implicit_bit - fraction_of(step);
    const int shift = rising ? 52 : 53; // x = M * k / 2^shift
    const std::uint64_t half = one << (shift - 1);

    while (periods > 0) {
        if (magnitude == 0 || magnitude == infinity) {
            return magnitude;
        }
        const std::uint64_t scale = scale_of(magnitude);
        std::uint64_t m = significand_of(magnitude);
        const Wide product = multiply_wide(m, k);
        const std::uint64_t whole = (product.high << (64 - shift)) | (product.low >> shift);
        const std::uint64_t remainder = product.low & ((one << shift) - 1);

        std::uint64_t run = 0;
        const std::uint64_t d = whole + (remainder > half ? 1 : 0);
        if (remainder != half && d != 0) {
            // Distance, in units of 2^-shift, from x to the edge of (D - 1/2,
            // D + 1/2) that x moves towards, by D * k every period.
            const std::uint64_t to_edge =
                rising ? (remainder < half ? half : 3 * half) - remainder
                       : remainder + half - (remainder < half ? 0 : 2 * half);
            const std::uint64_t moves = d * k;
            const std::uint64_t run_in_window = (to_edge + moves - 1) / moves;
            // Periods whose result stays in the binade, with room for the
            // rounding: below 2^53, and above 2^52 where a lower binade exists.
            std::uint64_t run_in_binade = m / d;
            if (rising) {
                run_in_binade = ((one << 53) - 1 - m) / d;
            } else if (scale != 0) {
                run_in_binade = m > implicit_bit ? (m - implicit_bit - 1) / d : 0;
            }
            run = std::min({run_in_window, run_in_binade, periods});
        }
        if (run > 0) {
            m = rising ? m + run * d : m - run * d;
            magnitude = from_scale_and_significand(scale, m);
            periods -= run;
            if (periods == 0) {
                break;
            }
        }

        const double next = magnitude * step;
        if (same_bits(next, magnitude)) {
            return magnitude;
        }
        magnitude = next;
        --periods;
    }
    return magnitude;
}

// ---------------------------------------------------------------------------

// The magnitude after `periods` periods; neither operand is NaN or negative,
// and they are not zero and infinity.
double grow_magnitude(double magnitude, double step, std::uint64_t periods) noexcept
{
    if (step == 1) {
        return magnitude;
    }
    if (step > 1 && std::isnormal(magnitude) && periods >= periods_to_overflow(magnitude, step)) {
        return infinity;
    }
    if (takes_runs(step)) {
        return take_runs(magnitude, step, periods);
    }
    return multiply_in_blocks(magnitude, step, periods);
}

} // namespace

// ---------------------------------------------------------------------------
// Certain overflow. While the factor is normal, each rounded product is at
// least the exact one times (1 - 2^-53), so after n periods the factor is at
// least factor * (step * (1 - 2^-53))^n. Once that reaches 2^1024, above
// every finite double, it has overflowed. For a step above one,
// step * (1 - 2^-53) is above one too.

std::uint64_t periods_to_overflow(double factor, double step) noexcept
{
    // The margins cover the rounding of the logarithms and of the quotient: a
    // bound that comes a little late only costs time, an early one would give
    // a wrong result. The absolute margin keeps the headroom positive for a
    // factor next to the largest double.
    const double headroom = 1024 * std::numbers::ln2 - std::log(factor) + 0x1p-40;
    const double per_period =
        (step < 2 ? std::log1p(step - 1) : std::log(step)) + std::log1p(-0x1p-53);
    const double periods = headroom / per_period * (1 + 0x1p-20) + 2;
    return periods < 0x1p64 ? static_cast<std::uint64_t>(periods)
                            : std::numeric_limits<std::uint64_t>::max();
}

// ---------------------------------------------------------------------------

double grow(double factor, double step, std::uint64_t periods) noexcept
{
    // A NaN carried in, or made by zero times infinity, leaves no sign to take
    // apart; every later period leaves it unchanged, at the latest after two.
    if (std::isnan(factor) || std::isnan(step) || (factor == 0 && std::isinf(step)) ||
        (std::isinf(factor) && step == 0)) {
        for (; periods > 0; --periods) {
            const double next = factor * step;
            if (same_bits(next, factor)) {
                break;
            }
            factor = next;
        }
        return factor;
    }
    const bool negative = std::signbit(factor) != (std::signbit(step) && periods % 2 == 1);
    const double magnitude = grow_magnitude(std::fabs(factor), std::fabs(step), periods);
    return negative ? -magnitude : magnitude;
}

double growth(double years, double rate) noexcept
{
    const double step = 1.0 + rate;
    if (!(years > 1.0)) {
        return step;
    }
    if (years < 0x1p64) {
        const auto periods = static_cast<std::uint64_t>(std::ceil(years));
        return grow(step, step, periods - 1);
    }
    // Far more periods than any factor needs to settle. A negative step makes
    // the sign alternate for ever, so an infinite term has no final value; a
    // finite term this long is an even number of periods, and 2^64 - 1
    // further periods after the first keep that parity.
    if (std::isinf(years) && std::signbit(step) && !std::isnan(step)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return grow(step, step, std::numeric_limits<std::uint64_t>::max());
}

} // namespace compound
