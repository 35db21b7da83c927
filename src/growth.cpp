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
#include <cassert>
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

// One period: multiplies `factor` by `step`. False if that left the factor
// unchanged, bit for bit; then no later period changes it either, since each
// would multiply the same two values again.
bool period_changes(double& factor, double step) noexcept
{
    const double next = factor * step;
    const bool changed = !same_bits(next, factor);
    factor = next;
    return changed;
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
// A positive finite double taken apart as significand * 2^(binade - 1074):
// the significand is a whole number below 2^53 and 2^(binade - 1074) is the
// ulp. Subnormals and the lowest binade share binade 0, since they share the
// ulp 2^-1074; above it, the binade is the biased exponent less one and the
// significand carries the implicit bit. Either way the bits of the double are
// (binade << 52) + significand.

constexpr std::uint64_t implicit_bit = one << 52;
constexpr std::uint64_t exponent_bias = 1023;

std::uint64_t biased_exponent_of(double x) noexcept
{
    return std::bit_cast<std::uint64_t>(x) >> 52;
}

std::uint64_t fraction_of(double x) noexcept
{
    return std::bit_cast<std::uint64_t>(x) & (implicit_bit - 1);
}

std::uint64_t binade_of(double x) noexcept
{
    const std::uint64_t biased_exponent = biased_exponent_of(x);
    return biased_exponent == 0 ? 0 : biased_exponent - 1;
}

std::uint64_t significand_of(double x) noexcept
{
    return biased_exponent_of(x) == 0 ? std::bit_cast<std::uint64_t>(x)
                                      : fraction_of(x) | implicit_bit;
}

double from_binade_and_significand(std::uint64_t binade, std::uint64_t significand) noexcept
{
    return std::bit_cast<double>((binade << 52) + significand);
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
        if (!period_changes(magnitude, step)) {
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
// Write the step as 1 + k * 2^-52 above one, or 1 - k * 2^-53 below, and the
// magnitude as m ulps. One period turns m into m +- x exactly, with
// x = m * k / 2^shift (shift 52 above one, 53 below), and the product rounds
// that to m +- D, D being x rounded to the nearest whole number, as long as
// the result keeps this binade's ulp. So while x stays strictly inside the
// window (D - 1/2, D + 1/2) and the result stays in the binade, every period
// moves m by the same D, and t periods move it by t * D. Ties, changes of
// binade and the period after each run are left to one ordinary
// multiplication, which is exact by definition.
//
// Below 2^-28 runs last over a hundred periods; above it the plain chain is
// faster.

constexpr double run_threshold = 0x1p-28;

bool takes_runs(double step) noexcept
{
    return step != 1 && std::fabs(step - 1) <= run_threshold;
}

struct NearOne {
    bool rising;
    std::uint64_t k;
    int shift;
};

NearOne near_one(double step) noexcept
{
    const bool rising = step > 1;
    return {rising, rising ? fraction_of(step) : implicit_bit - fraction_of(step),
            rising ? 52 : 53};
}

struct Run {
    std::uint64_t periods; // how many of the next periods move m by D each
    std::uint64_t move;    // D
};

// The run that starts at significand m in the given binade.
//
// Work in units of 2^-shift: X = m * k is x exactly, X = whole * 2^shift +
// remainder, and the window is (D * 2^shift - half, D * 2^shift + half) with
// half = 2^(shift - 1). A remainder of exactly half is a tie, and D = 0 means
// the product rounds back to m: both are left to the ordinary multiplication.
//
// Each period moves X by D * k, towards the upper edge when rising and the
// lower edge when falling. From X, that edge is to_edge units away:
//   rising,  x rounded down (D = whole):      (D + 1/2) - x  =  half - remainder
//   rising,  x rounded up   (D = whole + 1):  (D + 1/2) - x  =  3 half - remainder
//   falling, x rounded down:                  x - (D - 1/2)  =  remainder + half
//   falling, x rounded up:                    x - (D - 1/2)  =  remainder - half
// Period i of the run (i = 0, 1, ...) starts from X moved by i * D * k and
// rounds to D only while that is strictly inside the window, i * D * k <
// to_edge: that is periods 0 to ceil(to_edge / (D * k)) - 1. Reaching the
// edge exactly is a tie, for the ordinary multiplication.
//
// The result must also keep this binade's ulp. The exact product lies within
// 1/2 of the result, so a result of at most 2^53 - 1 rising (2^53 is where
// the ulp doubles), or at least 2^52 + 1 falling (2^52 is where it halves),
// keeps it strictly inside the binade, rounded on this binade's grid; hence
// the ones subtracted. In binade 0 the grid runs on down to zero, so there
// the result need only stay at or above 0. (A run could also land on 2^53 or
// 2^52 itself and round right, as x moves by under 1/8 a period, but the
// ordinary multiplication after the run takes that period just as well.)
//
// Since |step - 1| <= 2^-28, k <= 2^24 rising and k <= 2^25 falling, so
// x < 2^25 and D * k < 2^50 < half: X moves by less than half a window a
// period, and no sum below comes near 2^64.
Run size_run(std::uint64_t binade, std::uint64_t m, NearOne step) noexcept
{
    const std::uint64_t half = one << (step.shift - 1);
    const Wide product = multiply_wide(m, step.k);
    const std::uint64_t whole = (product.high << (64 - step.shift)) | (product.low >> step.shift);
    const std::uint64_t remainder = product.low & (2 * half - 1);
    const bool rounded_up = remainder > half;
    const std::uint64_t d = whole + (rounded_up ? 1 : 0);
    if (remainder == half || d == 0) {
        return {0, d};
    }
    const std::uint64_t moves = d * step.k;
    assert(moves < half);

    const std::uint64_t to_edge = step.rising ? (rounded_up ? 3 * half : half) - remainder
                                              : remainder + half - (rounded_up ? 2 * half : 0);
    const std::uint64_t in_window = (to_edge + moves - 1) / moves;
    std::uint64_t in_binade = m / d;
    if (step.rising) {
        in_binade = ((one << 53) - 1 - m) / d;
    } else if (binade != 0) {
        in_binade = m > implicit_bit ? (m - implicit_bit - 1) / d : 0;
    }
    return {std::min(in_window, in_binade), d};
}

double take_runs(double magnitude, double step, std::uint64_t periods) noexcept
{
    const NearOne near = near_one(step);
    while (periods > 0 && magnitude != infinity) {
        const std::uint64_t binade = binade_of(magnitude);
        const std::uint64_t m = significand_of(magnitude);
        const Run run = size_run(binade, m, near);
        const std::uint64_t taken = std::min(run.periods, periods);
        magnitude = from_binade_and_significand(binade, near.rising ? m + taken * run.move
                                                                    : m - taken * run.move);
        periods -= taken;
        if (periods > 0) {
            if (!period_changes(magnitude, step)) {
                break;
            }
            --periods;
        }
    }
    return magnitude;
}

// ---------------------------------------------------------------------------

// The magnitude after `periods` periods.
double grow_magnitude(double magnitude, double step, std::uint64_t periods) noexcept
{
    assert(!std::isnan(magnitude) && !std::isnan(step));
    assert(!std::signbit(magnitude) && !std::signbit(step));
    assert(!(magnitude == 0 && step == infinity) && !(magnitude == infinity && step == 0));
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

// ---------------------------------------------------------------------------
// Natural logarithms for the overflow bound, from +, -, * and / alone, which
// IEEE 754 rounds correctly on every platform, so that the bound does not
// rest on the accuracy of the C runtime's log.

// ln f for f in [1, 2), within a relative 2^-48.
//
// ln f = 2 atanh(u) = 2 (u + u^3/3 + u^5/5 + ...), with u = (f - 1) / (f + 1)
// in [0, 1/3). The sixteen terms kept leave out less than (1/9)^16 < 2^-50 of
// the sum, all of it positive. Rounding: f - 1 is exact, u is within 2^-52
// (two roundings), u^2 within 2^-50, the sum, which lies in [1, 1.04] and
// gains each further term scaled by u^2 <= 1/9, within 2^-50, and the last
// product adds 2^-53: 2^-48 in all, with room to spare.
double log_of_fraction(double f) noexcept
{
    const double u = (f - 1) / (f + 1);
    const double u2 = u * u;
    double sum = 0;
    for (int term = 15; term >= 0; --term) {
        sum = sum * u2 + 1.0 / (2 * term + 1);
    }
    return 2 * u * sum;
}

// A positive normal double taken apart as f * 2^e with f in [1, 2).
struct Logarithm {
    double of_fraction; // ln f, as log_of_fraction gives it
    double exponent;    // e
};

Logarithm logarithm_of(double x) noexcept
{
    constexpr std::uint64_t one_bits = exponent_bias << 52;
    return {log_of_fraction(std::bit_cast<double>(fraction_of(x) | one_bits)),
            static_cast<double>(biased_exponent_of(x)) - static_cast<double>(exponent_bias)};
}

} // namespace

// ---------------------------------------------------------------------------
// Certain overflow. While the factor is normal, each rounded product is at
// least the exact one times (1 - 2^-53), so after n periods the factor is at
// least factor * (step * (1 - 2^-53))^n, or it has overflowed on the way. Once
// that bound reaches 2^1024, above every finite double, it has overflowed. So
// n >= headroom / gain periods suffice, with
//   headroom = ln(2^1024 / factor) = (1024 - e) ln 2 - ln f   (factor = f 2^e)
//   gain     = ln(step) + ln(1 - 2^-53),  ln(1 - 2^-53) > -(2^-53 + 2^-105).
// A bound that comes late only costs time; an early one would give infinity
// where the product is finite. So the headroom is taken high and the gain low,
// each by a relative 2^-40, far above the 2^-48 of log_of_fraction and the
// 2^-53 of each rounding on the way (ln 2 included); the quotient is raised by
// 2^-40 more for its own rounding, and the conversion, which truncates, by one
// period.

std::uint64_t periods_to_overflow(double factor, double step) noexcept
{
    constexpr double high = 1 + 0x1p-40;
    constexpr double low = 1 - 0x1p-40;
    const Logarithm of_factor = logarithm_of(factor);
    const Logarithm of_step = logarithm_of(step);
    const double headroom =
        (1024 - of_factor.exponent) * std::numbers::ln2 * high - of_factor.of_fraction * low;
    const double gain =
        (of_step.exponent * std::numbers::ln2 + of_step.of_fraction) * low - 0x1.0000000000001p-53;
    if (!(gain > 0)) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    const double periods = headroom / gain * high;
    return periods < 0x1p64 ? static_cast<std::uint64_t>(periods) + 1
                            : std::numeric_limits<std::uint64_t>::max();
}

// ---------------------------------------------------------------------------

double grow(double factor, double step, std::uint64_t periods) noexcept
{
    // A NaN carried in, or made by zero times infinity, leaves no sign to take
    // apart; every later period leaves it unchanged, at the latest after two.
    if (std::isnan(factor) || std::isnan(step) || (factor == 0 && std::isinf(step)) ||
        (std::isinf(factor) && step == 0)) {
        while (periods > 0 && period_changes(factor, step)) {
            --periods;
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
