// compound: reads "money,years,rate" from standard input and writes the amount
// that money grows to when rate is compounded once per year of the term, with
// exactly two decimals and no line terminator.
//
// Exit status: 0 once the result is delivered, whatever the input; 1 if the
// input cannot be read or the result cannot be written, with a message on
// standard error.
#include "format.hpp"
#include "growth.hpp"
#include "scan.hpp"

#include <array>
#include <cstdio>
#include <limits>

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

    std::array<char, compound::longest_amount> text{};
    const std::size_t length = compound::format_amount(result, text);

    // The result is delivered only once standard output is closed without error.
    if (std::fwrite(text.data(), 1, length, stdout) != length || std::fclose(stdout) != 0) {
        std::perror("compound: cannot write the result");
        return 1;
    }
    return 0;
}
