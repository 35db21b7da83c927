#include "format.hpp"
#include "growth.hpp"
#include "per_period.h"
#include "schedule.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using compound::most_rows;

std::vector<double> shown(double n)
{
    std::array<double, most_rows> periods{};
    const std::size_t count = compound::shown_periods(n, periods);
    return {periods.begin(), periods.begin() + static_cast<std::ptrdiff_t>(count)};
}

// 1, then `multiples` periods of the form i * step, written in decimal and
// read by the C library, then n unless the last multiple is n.
std::vector<double> expected_rows(double n, int multiples, int step, int power)
{
    std::vector<double> rows{1};
    for (int i = 1; i <= multiples; ++i) {
        const std::string decimal = std::to_string(i * step) + "e" + std::to_string(power);
        rows.push_back(std::strtod(decimal.c_str(), nullptr));
    }
    if (rows.back() != n) {
        rows.push_back(n);
    }
    return rows;
}

struct Shown {
    double n;
    int multiples; // 0 for every period up to n
    int step;
    int power;
};

// Every period up to 100; beyond, the smallest round step that keeps the
// rows to 100. 197 periods still fit with a step of 2, in exactly 100 rows;
// 198 take a step of 5. Beyond 2^53 the multiples are the nearest doubles:
// 11 * 2e28, for one, is not 11 times the double 2e28.
TEST(ShownPeriods, KeepsToOneHundredRows)
{
    const Shown terms[] = {
        {1, 0, 0, 0},
        {3, 0, 0, 0},
        {100, 0, 0, 0},
        {101, 50, 2, 0},
        {197, 98, 2, 0},
        {198, 39, 5, 0},
        {1000, 50, 2, 1},
        {2147483647, 42, 5, 7},
        {9007199254740994, 90, 1, 14},
        {1e30, 50, 2, 28},
        {0x1.fffffffffffffp1023, 89, 2, 306},
    };
    for (const Shown& t : terms) {
        std::vector<double> rows;
        if (t.multiples == 0) {
            for (double k = 1; k <= t.n; ++k) {
                rows.push_back(k);
            }
        } else {
            rows = expected_rows(t.n, t.multiples, t.step, t.power);
        }
        EXPECT_EQ(shown(t.n), rows) << t.n;
        EXPECT_LE(rows.size(), most_rows);
    }
    EXPECT_EQ(shown(1e30)[11], 22e28);
    EXPECT_NE(shown(1e30)[11], 11 * 2e28);
}

// The schedule of `input`, as write_schedule writes it.
std::string schedule_of(const std::string& input)
{
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    EXPECT_NE(in, nullptr);
    EXPECT_NE(out, nullptr);
    std::fputs(input.c_str(), in);
    std::rewind(in);
    EXPECT_EQ(compound::write_schedule(in, out), 0) << input;
    std::rewind(out);
    std::string text;
    for (int c = std::getc(out); c != EOF; c = std::getc(out)) {
        text.push_back(static_cast<char>(c));
    }
    std::fclose(in);
    std::fclose(out);
    return text;
}

std::string amount(double value)
{
    std::array<char, compound::longest_amount> text{};
    return {text.data(), compound::format_amount(value, text)};
}

// A whole number in decimal, every digit.
std::string period(double k)
{
    std::array<char, 400> text{};
    const int length = std::snprintf(text.data(), text.size(), "%.0f", k);
    return {text.data(), static_cast<std::size_t>(length)};
}

// A decimal that reads back as `x`.
std::string decimal(double x)
{
    std::array<char, 32> text{};
    const int length = std::snprintf(text.data(), text.size(), "%.17g", x);
    return {text.data(), static_cast<std::size_t>(length)};
}

TEST(WriteSchedule, WritesTheRowsAsTheyCome)
{
    const std::array<std::string, 2> schedules[] = {
        {"1000,3,0.05", "rows 3\nprincipal 1000.00\n1 1050.00\n2 1102.50\n3 1157.63\n"},
        {"1000, 0x1.8p1, 0.05xyz", "rows 3\nprincipal 1000.00\n1 1050.00\n2 1102.50\n3 1157.63\n"},
        {"1,1.0000001,1", "rows 2\nprincipal 1.00\n1 2.00\n2 4.00\n"},
        {"1000,nan,0.05", "rows 1\nprincipal 1000.00\n1 1050.00\n"},
        {"-1000,-inf,-1", "rows 1\nprincipal -1000.00\n1 -0.00\n"},
        {"1000,inf,0.05", "rows 0\n"},
        {"1000,3", "rows 3\nprincipal 1000.00\n1 nan\n2 nan\n3 nan\n"},
        {"", "rows 1\nprincipal nan\n1 nan\n"},
    };
    for (const auto& [input, schedule] : schedules) {
        EXPECT_EQ(schedule_of(input), schedule) << input;
    }
}

// Short terms, every row against the plain loop of period by period: every
// period up to 100, and the steps beyond.
TEST(WriteSchedule, MatchesThePlainLoop)
{
    const std::array<double, 2> accounts[] = {
        {1000, 0.05}, {5000, 0.01}, {-250.5, -0.3}, {1e300, 1.5}, {1000, -2}, {7, 1e-9},
    };
    for (const auto& [money, rate] : accounts) {
        for (int n = 1; n <= 450; n += n < 105 ? 1 : 23) {
            std::string expected =
                "rows " + std::to_string(shown(n).size()) + "\nprincipal " + amount(money) + "\n";
            for (const double k : shown(n)) {
                const double step = 1 + rate;
                expected +=
                    period(k) + " " +
                    amount(money * per_period(step, step, static_cast<std::uint64_t>(k) - 1)) +
                    "\n";
            }
            const std::string input =
                decimal(money) + "," + std::to_string(n) + "," + decimal(rate);
            ASSERT_EQ(schedule_of(input), expected) << input;
        }
    }
}

// Long terms, every row against the console program's own computation,
// money * growth(period, rate), across 2^53 and 2^64 periods.
TEST(WriteSchedule, MatchesTheConsoleOnLongTerms)
{
    const std::array<double, 3> terms[] = {
        {1000, 2147483647, 0.05},
        {1000, 2147483647, 1e-12},
        {1000, 2147483647, -0.05},
        {1000, 1e30, -2},
        {1000, 1e30, -1e-15},
        {1, 0x1p64, -3},
        {1, 0x1.0000000000001p64, -3},
        {1, 0x1.fffffffffffffp63, -0.5},
        {1000, 1e300, 0},
    };
    for (const auto& [money, years, rate] : terms) {
        const std::string input = decimal(money) + "," + period(years) + "," + decimal(rate);
        std::string expected =
            "rows " + std::to_string(shown(years).size()) + "\nprincipal " + amount(money) + "\n";
        for (const double k : shown(years)) {
            expected += period(k) + " " + amount(money * compound::growth(k, rate)) + "\n";
        }
        EXPECT_EQ(schedule_of(input), expected) << input;
    }
}

} // namespace
