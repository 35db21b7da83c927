#include "scan.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <ios>
#include <limits>
#include <string>

namespace {

constexpr double unread = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

using Bits = std::array<std::uint64_t, 3>;

struct Scan {
    std::string input;
    int count;
    std::array<double, 3> fields;
    int next; // the first character left unread, or EOF
};

// Long inputs whose rounding depends on digits far past the seventeenth.
const std::string past_tie = "9007199254740993." + std::string(2000, '0') + "1";
const std::string below_tie = "9007199254740993" + std::string(1000, '0') + "e-1000";
const std::string tiny = "0." + std::string(400, '0') + "1";
// A tie, and a nonzero digit as the last kept one (the 800th significant
// digit) or as the first dropped one.
const std::string tie_kept = "9007199254740993." + std::string(784, '0');
const std::string above_tie_kept = "9007199254740993." + std::string(783, '0') + "1";
const std::string above_tie_dropped = "9007199254740993." + std::string(784, '0') + "1";

TEST(ScanNumbers, ReadsWhatTheFormattedInputReads)
{
    const Scan scans[] = {
        {"1000,3,0.05\n", 3, {1000, 3, 0.05}, '\n'},
        {" \t\v\f\r\n-1e3,+.5E-1,0x1.8P1;", 3, {-1000, 0.05, 3}, ';'},
        {"1e,2e+,3e-x", 3, {1, 2, 3}, 'x'},
        {"1e+3,1e-3,1E3", 3, {1000, 0.001, 1000}, EOF},
        {"1000e 3,1,0", 1, {1000, unread, unread}, ' '},
        {"0xA,0XF.8p1,0xaf", 3, {10, 31, 175}, EOF},
        {"0x.p1,2,3", 1, {0, unread, unread}, 'p'},
        {"-0x.8,-0,0x1P-1074", 3, {-0.5, -0.0, 0x1p-1074}, EOF},
        {"inFinity,-INF,nan", 3, {inf, -inf, unread}, EOF},
        {"NAN,INF,INFINITY;", 3, {unread, inf, inf}, ';'},
        {"infx,2,3", 1, {inf, unread, unread}, 'x'},
        {"infin,2,3", 0, {unread, unread, unread}, '2'}, // the comma is taken
        {"1000,infinitz,0.05", 1, {1000, unread, unread}, ','},
        {"1000,nx,0.05", 1, {1000, unread, unread}, ','},
        {"1000,ix,0.05", 1, {1000, unread, unread}, ','},
        {"x,1,2", 0, {unread, unread, unread}, 'x'}, // begins no word: left unread
        {"z", 0, {unread, unread, unread}, 'z'},
        {",1000,3,0.05", 0, {unread, unread, unread}, ','},
        {"1 ,2,3", 1, {1, unread, unread}, ' '},
        {"1,.,3", 1, {1, unread, unread}, ','},
        {"0x,2,3", 0, {unread, unread, unread}, ','},
        {"+", 0, {unread, unread, unread}, EOF},
        {"", EOF, {unread, unread, unread}, EOF},
        {"1,2", 2, {1, 2, unread}, EOF},
        {"1e400,-1e-400,1e-99999999999999999999", 3, {inf, -0.0, 0}, EOF},
        {"1.00000000000000011102230246251565404236316680908203125,0,0", 3, {1, 0, 0}, EOF},
        {"1.00000000000000011102230246251565404236316680908203126,0,0",
         3,
         {1 + 0x1p-52, 0, 0},
         EOF},
        {"0x1.000000000000080000000000000000000000001p0,0,0", 3, {1 + 0x1p-52, 0, 0}, EOF},
        {past_tie + ",0,0", 3, {0x1.0000000000001p53, 0, 0}, EOF},
        {below_tie + ",0,0", 3, {0x1p53, 0, 0}, EOF},
        {tiny + ",0,0", 3, {0, 0, 0}, EOF},
        {tie_kept + "," + above_tie_kept + "," + above_tie_dropped,
         3,
         {0x1p53, 0x1.0000000000001p53, 0x1.0000000000001p53},
         EOF},
    };
    for (const Scan& scan : scans) {
        std::FILE* in = std::tmpfile();
        ASSERT_NE(in, nullptr);
        std::fputs(scan.input.c_str(), in);
        std::rewind(in);
        std::array<double, 3> fields{unread, unread, unread};
        EXPECT_EQ(compound::scan_numbers(in, fields), scan.count) << scan.input;
        EXPECT_EQ(std::bit_cast<Bits>(fields), std::bit_cast<Bits>(scan.fields)) << scan.input;
        EXPECT_EQ(std::getc(in), scan.next) << scan.input;
        std::fclose(in);
    }
}

struct Conversion {
    std::string text;
    double value;
};

void expect_read(const Conversion& conversion)
{
    std::FILE* in = std::tmpfile();
    ASSERT_NE(in, nullptr);
    std::fputs(conversion.text.c_str(), in);
    std::rewind(in);
    std::array<double, 1> field{unread};
    EXPECT_EQ(compound::scan_numbers(in, field), 1) << conversion.text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(field[0]),
              std::bit_cast<std::uint64_t>(conversion.value))
        << conversion.text << " read as " << std::hexfloat << field[0];
    std::fclose(in);
}

// Hexadecimal constants rounded once, to nearest, ties to even: normal,
// subnormal, to zero and to infinity.
TEST(ScanNumbers, RoundsHexadecimalToNearest)
{
    const Conversion conversions[] = {
        {"0x1.00000000000008p0", 1},                           // a tie, to even
        {"0x1.00000000000018p0", 0x1.0000000000002p0},         // a tie, to even
        {"0x1.0000000000000800000001p0", 0x1.0000000000001p0}, // above it past 16 digits
        {"0x00000000000000000000001.8p-1", 0.75},
        {"0x.00000000000000000000001p92", 1},
        {"0x1p-1074", 0x1p-1074},
        {"0x0.fffffffffffff8p-1022", 0x1p-1022}, // rounds up into the normals
        {"0x0.fffffffffffff7p-1022", 0x0.fffffffffffffp-1022},
        {"0x1.8p-1074", 0x1p-1073},              // a tie, to even
        {"0x1p-1075", 0},                        // a tie, to even
        {"0x1.00000000000008p-1075", 0x1p-1074}, // above the tie: rounded once
        {"0x1p-1076", 0},
        {"0x1.fffffffffffff7ffp1023", 0x1.fffffffffffffp1023},
        {"0x1.fffffffffffff8p1023", inf}, // a tie, to even
        {"0x1p1024", inf},
        {"0x1.8p1024", inf},
    };
    for (const Conversion& conversion : conversions) {
        expect_read(conversion);
    }
}

// The exact decimal of odd * 2^-1075, a point halfway between two subnormals:
// odd * 5^1075 / 10^1075, every digit.
std::string halfway(std::uint64_t odd)
{
    std::string digits; // the least significant first
    for (; odd > 0; odd /= 10) {
        digits.push_back(static_cast<char>('0' + odd % 10));
    }
    for (int i = 0; i < 1075; ++i) {
        int carry = 0;
        for (char& digit : digits) {
            const int product = (digit - '0') * 5 + carry;
            digit = static_cast<char>('0' + product % 10);
            carry = product / 10;
        }
        if (carry > 0) {
            digits.push_back(static_cast<char>('0' + carry));
        }
    }
    return "0." + std::string(1075 - digits.size(), '0') +
           std::string(digits.rbegin(), digits.rend());
}

// Halfway points just below the smallest normal, whose last nonzero digit is
// the 768th significant one: read exactly, each is a tie, to even; one more
// digit past it puts the value above. Keeping fewer of the digits makes both
// read below.
TEST(ScanNumbers, RoundsLongDecimalsToNearest)
{
    constexpr std::uint64_t largest = (std::uint64_t{1} << 52) - 1; // subnormal significand
    const Conversion conversions[] = {
        {halfway(2 * largest + 1), 0x1p-1022},                     // up, to even
        {halfway(2 * largest + 1) + "1", 0x1p-1022},               // above: up
        {halfway(2 * largest - 1), 0x0.ffffffffffffep-1022},       // down, to even
        {halfway(2 * largest - 1) + "1", 0x0.fffffffffffffp-1022}, // above: up
    };
    for (const Conversion& conversion : conversions) {
        expect_read(conversion);
    }
    EXPECT_EQ(halfway(2 * largest + 1).find_first_not_of("0.") + 768,
              halfway(2 * largest + 1).size());
}

} // namespace
