// compound: reads "money,years,rate" from standard input and writes the amount
// that money grows to when rate is compounded once per year of the term, with
// exactly two decimals and no line terminator.
//
// Exit status: 0 once the result is delivered, whatever the input; 1 if the
// input cannot be read or the result cannot be written, with a message on
// standard error.
#include "growth.hpp"
#include "scan.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

// The longest two-decimal text of a double: a sign, the 309 integer digits of
// the largest finite value, the point and two decimals.
constexpr std::size_t longest_result = 1 + 309 + 1 + 2;

} // namespace

int main()
{
    // A field the read does not convert stays NaN, so malformed input prints "nan".
    constexpr double unread = std::numeric_limits<double>::quiet_NaN();
    std::array<double, 3> fields{unread, unread, unread};
    compound::scan_numbers(stdin, fields);
    // A stream that fails, unlike one that ends, holds no input to compute on.
    if (std::ferror(stdin) != 0) {
        std::perror("compound: cannot read the input");
        return 1;
    }
    const auto [money, years, rate] = fields;

    const double result = money * compound::growth(years, rate);

    // Correctly rounded to two decimals, ties to even, the same on every C
    // runtime. Every NaN is written "nan": its sign carries no meaning, and
    // which one a product gives differs between processors.
    const double shown = std::isnan(result) ? unread : result;
    std::array<char, longest_result> text{};
    const std::to_chars_result written =
        std::to_chars(text.data(), text.data() + text.size(), shown, std::chars_format::fixed, 2);
    const auto length = static_cast<std::size_t>(written.ptr - text.data());

    // The result is delivered only once standard output is closed without error.
    if (std::fwrite(text.data(), 1, length, stdout) != length || std::fclose(stdout) != 0) {
        std::perror("compound: cannot write the result");
        return 1;
    }
    return 0;
}
