#include "schedule.hpp"

#include "format.hpp"
#include "growth.hpp"
#include "scan.hpp"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

namespace compound {
namespace {

// A whole double has at most 309 decimal digits, fewer than the longest amount.
constexpr std::size_t longest_period = 309;
static_assert(longest_period <= longest_amount);

// The double nearest to whole * 10^power, ties to even, read as the decimal
// "<whole>e<power>".
double nearest_double(std::uint64_t whole, std::size_t power) noexcept
{
    std::array<char, 20 + 1 + 20> text{};
    char* const last = text.data() + text.size();
    char* end = std::to_chars(text.data(), last, whole).ptr;
    if (end != last) {
        *end++ = 'e';
        end = std::to_chars(end, last, power).ptr;
    }
    double value = 0;
    fast_float::from_chars(text.data(), end, value, fast_float::chars_format::scientific);
    return value;
}

// From 2^64 periods on every factor has settled, and every term that long is
// an even number of periods: the console program applies 2^64 periods to any
// such term, and so does the pass.
constexpr double settled_term = 0x1p64;

// The factor after period `to`, from `factor`, the factor after period `from`;
// whole periods with 1 <= from <= to.
double advance(double factor, double step, double from, double to) noexcept
{
    const double target = std::min(to, settled_term);
    if (from >= target) {
        return factor;
    }
    const auto start = static_cast<std::uint64_t>(from); // below 2^64, and at least 1
    const std::uint64_t periods = target == settled_term
                                      ? std::numeric_limits<std::uint64_t>::max() - start + 1
                                      : static_cast<std::uint64_t>(target) - start;
    return grow(factor, step, periods);
}

// The text of a whole number, every digit, and of an amount as the console
// program writes it.
struct Text {
    std::array<char, longest_amount> characters{};
    std::size_t length = 0;

    std::string_view view() const { return {characters.data(), length}; }
};

Text whole_text(double whole) noexcept
{
    Text text;
    const char* end =
        std::to_chars(text.characters.data(), text.characters.data() + text.characters.size(),
                      whole, std::chars_format::fixed, 0)
            .ptr;
    text.length = static_cast<std::size_t>(end - text.characters.data());
    return text;
}

Text amount_text(double amount) noexcept
{
    Text text;
    text.length = format_amount(amount, text.characters);
    return text;
}

// Writes one line, `head` and `tail` apart by a space, and flushes it.
bool write_line(std::FILE* out, std::string_view head, std::string_view tail) noexcept
{
    std::array<char, longest_period + 1 + longest_amount + 1> line{};
    char* end = std::copy(head.begin(), head.end(), line.data());
    *end++ = ' ';
    end = std::copy(tail.begin(), tail.end(), end);
    *end++ = '\n';
    const auto length = static_cast<std::size_t>(end - line.data());
    return std::fwrite(line.data(), 1, length, out) == length && std::fflush(out) == 0;
}

} // namespace

double periods_of(double years) noexcept
{
    return years > 1 ? std::ceil(years) : 1;
}

std::size_t shown_periods(double n, std::span<double, most_rows> periods) noexcept
{
    assert(n >= 1 && std::isfinite(n) && n == std::floor(n));
    if (n <= static_cast<double>(most_rows)) {
        const auto count = static_cast<std::size_t>(n);
        for (std::size_t i = 0; i < count; ++i) {
            periods[i] = static_cast<double>(i + 1);
        }
        return count;
    }

    // Beyond, the rows are 1, the multiples of the step up to n, and n, so at
    // most 98 multiples. The step c * 10^j is found on the exact digits of n:
    // floor(n / (c * 10^j)) is floor(floor(n / 10^j) / c), and floor(n / 10^j)
    // is n's digits without their last j. With more than three left, that is
    // at least 1000, too many multiples for any c.
    constexpr std::uint64_t most_multiples = most_rows - 2;
    const Text digits = whole_text(n);
    const std::size_t length = digits.length;
    for (std::size_t power = length - std::min<std::size_t>(length, 3);; ++power) {
        std::uint64_t leading = 0;
        for (std::size_t i = 0; i + power < length; ++i) {
            leading = leading * 10 + static_cast<std::uint64_t>(digits.characters[i] - '0');
        }
        for (const std::uint64_t c : {1, 2, 5}) {
            const std::uint64_t multiples = leading / c;
            if (multiples > most_multiples) {
                continue;
            }
            std::size_t count = 0;
            periods[count++] = 1;
            for (std::uint64_t i = 1; i <= multiples; ++i) {
                periods[count++] = nearest_double(i * c, power);
            }
            if (periods[count - 1] != n) {
                periods[count++] = n;
            }
            return count;
        }
    }
}

int write_schedule(std::FILE* in, std::FILE* out)
{
    // Read as the console program reads: a field left unconverted is NaN.
    constexpr double unread = std::numeric_limits<double>::quiet_NaN();
    std::array<double, 3> fields{unread, unread, unread};
    scan_numbers(in, fields);
    if (std::ferror(in) != 0) {
        std::perror("compound: cannot read the input");
        return 1;
    }
    const auto [money, years, rate] = fields;

    const double n = periods_of(years);
    std::array<double, most_rows> periods{};
    const std::size_t rows = std::isinf(n) ? 0 : shown_periods(n, periods);

    bool written = write_line(out, "rows", whole_text(static_cast<double>(rows)).view());
    if (rows > 0) {
        written = written && write_line(out, "principal", amount_text(money * growth(1, 0)).view());
    }

    // One pass: each row's factor grows from the row before's.
    const double step = 1.0 + rate;
    double factor = step;
    double reached = 1;
    for (std::size_t i = 0; i < rows && written; ++i) {
        factor = advance(factor, step, reached, periods[i]);
        reached = periods[i];
        written = write_line(out, whole_text(reached).view(), amount_text(money * factor).view());
    }
    if (!written || std::fflush(out) != 0) {
        std::perror("compound: cannot write the schedule");
        return 1;
    }
    return 0;
}

} // namespace compound
