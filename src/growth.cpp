#include "growth.hpp"

#include <bit>
#include <cmath>
#include <limits>

namespace compound {
namespace {

bool same_bits(double x, double y) noexcept
{
    return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
}

} // namespace

double grow(double factor, double step, std::uint64_t periods) noexcept
{
    for (; periods > 0; --periods) {
        const double next = factor * step;
        // A period that leaves the factor unchanged leaves it unchanged for good.
        if (same_bits(next, factor)) {
            return factor;
        }
        // Two periods that bring it back make it alternate: the parity of the
        // periods left picks the value.
        if (same_bits(next * step, factor)) {
            return periods % 2 == 0 ? factor : next;
        }
        factor = next;
    }
    return factor;
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
    // the sign alternate for ever, so an infinite term has no final value;
    // a finite term this long is an even number of periods, and 2^64 - 1
    // further periods after the first keep that parity.
    if (std::isinf(years) && std::signbit(step) && !std::isnan(step)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return grow(step, step, std::numeric_limits<std::uint64_t>::max());
}

} // namespace compound
