#include "scan.hpp"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
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
        {"infx,2,3", 1, {inf, unread, unread}, 'x'},
        {"infin,2,3", 0, {unread, unread, unread}, '2'}, // the comma is taken
        {"1000,infinitz,0.05", 1, {1000, unread, unread}, ','},
        {"1000,nx,0.05", 1, {1000, unread, unread}, ','},
        {"1000,ix,0.05", 1, {1000, unread, unread}, ','},
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

} // namespace
