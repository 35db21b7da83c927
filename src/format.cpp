#include "format.hpp"

#include <charconv>
#include <cmath>
#include <limits>

namespace compound {

std::size_t format_amount(double amount, std::span<char, longest_amount> text) noexcept
{
    // Every NaN is written "nan": its sign carries no meaning, and which one a
    // product gives differs between processors.
    const double shown = std::isnan(amount) ? std::numeric_limits<double>::quiet_NaN() : amount;
    const std::to_chars_result written =
        std::to_chars(text.data(), text.data() + text.size(), shown, std::chars_format::fixed, 2);
    return static_cast<std::size_t>(written.ptr - text.data());
}

} // namespace compound
