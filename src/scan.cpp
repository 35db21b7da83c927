// The scanner behind scan_numbers. It takes characters exactly as the C
// library's "%lf" does: it keeps taking them while they can continue a
// number, pushes back the first one that cannot, and then converts the
// longest prefix that is a whole number, so that "1e+" reads as 1. Only the
// conversion differs: decimals go to fast_float, hexadecimals to the exact
// rounding below, both correctly rounded on every platform.
//
// A number may have any length, but no buffer grows with it. Past the first
// 800 significant decimal digits (16 hexadecimal ones) only whether any
// later digit is nonzero can change the rounding, since no double and no
// point halfway between two doubles needs more; that is kept as one more
// nonzero digit, and the digits dropped before the point shift the power.
#include "scan.hpp"

#include <fast_float/fast_float.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace compound {
namespace {

// Classification in the "C" locale, which the program never changes.
bool is_space(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool is_digit(int c)
{
    return c >= '0' && c <= '9';
}
bool is_hex_digit(int c)
{
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int lower(int c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

void put_back(int c, std::FILE* in)
{
    if (c != EOF) {
        std::ungetc(c, in);
    }
}

// Takes the characters of `word` in any case; false at the first that
// differs, which is taken too.
bool take_word(std::FILE* in, const char* word)
{
    for (; *word != '\0'; ++word) {
        if (lower(std::getc(in)) != *word) {
            return false;
        }
    }
    return true;
}

// The words, from their first letter `c`: "nan", "inf" or "infinity".
bool scan_word(std::FILE* in, int c, double& magnitude)
{
    if (lower(c) == 'n') {
        magnitude = std::numeric_limits<double>::quiet_NaN();
        return take_word(in, "an");
    }
    magnitude = std::numeric_limits<double>::infinity();
    if (!take_word(in, "nf")) {
        return false;
    }
    c = std::getc(in);
    if (lower(c) == 'i') {
        return take_word(in, "nity");
    }
    put_back(c, in);
    return true;
}

// The digits of a number as they arrive: the significant ones kept, with the
// power of the base (ten, or two for hexadecimal) that scales them. Sixteen
// hexadecimal digits, the first nonzero, hold at least 61 significant bits:
// a double's 53, the rounding bit, and more.
constexpr std::size_t kept_decimal_digits = 800;
constexpr std::size_t kept_hex_digits = 16;
constexpr std::int64_t power_limit = 1'000'000; // far beyond every finite double

struct Digits {
    bool hexadecimal = false;
    bool any = false;   // a digit, before or after the point
    bool point = false; // the point has been taken
    std::array<char, kept_decimal_digits> kept{};
    std::size_t count = 0;
    bool dropped_nonzero = false;
    std::int64_t power = 0; // value = kept digits as a whole number * base^power
};

void add_digit(Digits& digits, int c)
{
    const std::size_t limit = digits.hexadecimal ? kept_hex_digits : kept_decimal_digits;
    const int step = digits.hexadecimal ? 4 : 1; // one digit is worth base^step
    digits.any = true;
    if (digits.count == 0 && c == '0') {
        digits.power -= digits.point ? step : 0; // a leading zero
    } else if (digits.count < limit) {
        digits.kept[digits.count++] = static_cast<char>(c);
        digits.power -= digits.point ? step : 0;
    } else {
        digits.dropped_nonzero |= c != '0';
        digits.power += digits.point ? 0 : step;
    }
}

// The digits and the point, from `c` on; returns the first character that
// continues neither.
int scan_digits(std::FILE* in, int c, Digits& digits)
{
    for (;; c = std::getc(in)) {
        if (is_digit(c) || (digits.hexadecimal && is_hex_digit(c))) {
            add_digit(digits, c);
        } else if (c == '.' && !digits.point) {
            digits.point = true;
        } else {
            return c;
        }
    }
}

// The written exponent after its 'e' or 'p': an optional sign and decimal
// digits, none of them needed, so that "1e" and "1e+" read as 1. Returns the
// first character that does not continue it.
int scan_exponent(std::FILE* in, std::int64_t& exponent)
{
    int c = std::getc(in);
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        c = std::getc(in);
    }
    std::int64_t magnitude = 0;
    for (; is_digit(c); c = std::getc(in)) {
        magnitude = std::min(magnitude * 10 + (c - '0'), power_limit);
    }
    exponent = negative ? -magnitude : magnitude;
    return c;
}

// ---------------------------------------------------------------------------
// Conversion to the nearest double, ties to even.

constexpr int stored_bits = 52;            // of a double's significand, below its leading bit
constexpr std::int64_t top_power = 1023;   // of the leading bit of the largest finite double
constexpr std::int64_t last_power = -1074; // of the last bit of the smallest subnormal
constexpr std::uint64_t leading_bit = std::uint64_t{1} << stored_bits;

// The double nearest to significand * 2^power, ties to even, for a nonzero
// significand; `sticky` says that the value lies above that, by less than
// 2^power (a nonzero digit was dropped), and so is never a tie.
double nearest_double(std::uint64_t significand, std::int64_t power, bool sticky)
{
    const int width = std::bit_width(significand);
    const std::int64_t top = power + width - 1; // the power of the leading bit
    // The power of the last bit a double keeps: 53 bits down from the leading
    // one, and none below the smallest subnormal's.
    std::int64_t last = std::max(top - stored_bits, last_power);
    std::uint64_t kept = 0;
    if (last <= power) {
        kept = significand << (power - last); // exact: at most 53 bits
    } else {
        const std::int64_t dropped = last - power;
        if (dropped > width) {
            return 0; // below half the smallest subnormal
        }
        // 1 <= dropped <= width <= 64.
        const std::uint64_t half = std::uint64_t{1} << (dropped - 1);
        const std::uint64_t rest = significand & (half - 1 + half);
        kept = dropped == 64 ? 0 : significand >> dropped;
        if (rest > half || (rest == half && (sticky || (kept & 1) != 0))) {
            ++kept;
        }
        if (kept == 2 * leading_bit) { // rounded up into the next binade
            kept = leading_bit;
            ++last;
        }
    }
    if (last + stored_bits > top_power) {
        return std::numeric_limits<double>::infinity();
    }
    // A significand below the leading bit is subnormal, whose last power is
    // always last_power; the biased exponent field is then zero.
    const std::uint64_t biased =
        kept < leading_bit ? 0 : static_cast<std::uint64_t>(last - last_power + 1);
    return std::bit_cast<double>((biased << stored_bits) | (kept & (leading_bit - 1)));
}

int hex_value(char digit)
{
    return is_digit(digit) ? digit - '0' : lower(digit) - 'a' + 10;
}

// The value of the digits times base^exponent, rounded to nearest.
double convert(const Digits& digits, std::int64_t exponent)
{
    if (digits.count == 0) {
        return 0;
    }
    const std::int64_t power = std::clamp(digits.power + exponent, -power_limit, power_limit);
    if (digits.hexadecimal) {
        std::uint64_t significand = 0;
        for (std::size_t i = 0; i < digits.count; ++i) {
            significand = significand << 4 | static_cast<std::uint64_t>(hex_value(digits.kept[i]));
        }
        return nearest_double(significand, power, digits.dropped_nonzero);
    }

    // A decimal goes to fast_float as "<digits>e<power>", a dropped nonzero
    // digit as one more digit, which decides a tie but no other rounding. A
    // value out of range comes back as infinity or zero.
    std::array<char, kept_decimal_digits + 1 + 1 + 20> text{};
    char* end = std::copy_n(digits.kept.data(), digits.count, text.data());
    std::int64_t written_power = power;
    if (digits.dropped_nonzero) {
        *end++ = '1';
        --written_power;
    }
    *end++ = 'e';
    end = std::to_chars(end, text.data() + text.size(), written_power).ptr;
    double value = 0;
    fast_float::from_chars(text.data(), end, value, fast_float::chars_format::scientific);
    return value;
}

// A decimal or hexadecimal floating constant, from its first character `c`.
// Nothing after the sign or the "0x" is no number; a point alone is no number
// in decimal, and the zero before the "x" in hexadecimal.
bool scan_numeral(std::FILE* in, int c, double& magnitude)
{
    Digits digits;
    if (c == '0') {
        c = std::getc(in);
        if (lower(c) == 'x') {
            digits.hexadecimal = true;
            c = std::getc(in);
        } else {
            add_digit(digits, '0');
        }
    }
    c = scan_digits(in, c, digits);
    std::int64_t exponent = 0;
    if (digits.any && lower(c) == (digits.hexadecimal ? 'p' : 'e')) {
        c = scan_exponent(in, exponent);
    }
    put_back(c, in);
    if (!digits.any && !(digits.hexadecimal && digits.point)) {
        return false;
    }
    magnitude = convert(digits, exponent);
    return true;
}

enum class Scanned { number, no_number, end_of_input };

Scanned scan_number(std::FILE* in, double& value)
{
    int c = std::getc(in);
    while (is_space(c)) {
        c = std::getc(in);
    }
    if (c == EOF) {
        return Scanned::end_of_input;
    }
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        c = std::getc(in);
    }
    double magnitude = 0;
    const bool word = lower(c) == 'n' || lower(c) == 'i';
    if (!(word ? scan_word(in, c, magnitude) : scan_numeral(in, c, magnitude))) {
        return Scanned::no_number;
    }
    value = std::copysign(magnitude, negative ? -1.0 : 1.0);
    return Scanned::number;
}

} // namespace

int scan_numbers(std::FILE* in, std::span<double> fields)
{
    int stored = 0;
    for (double& field : fields) {
        if (stored > 0) {
            const int c = std::getc(in);
            if (c != ',') {
                put_back(c, in);
                return stored;
            }
        }
        switch (scan_number(in, field)) {
        case Scanned::end_of_input:
            return stored == 0 ? EOF : stored;
        case Scanned::no_number:
            return stored;
        case Scanned::number:
            ++stored;
        }
    }
    return stored;
}

} // namespace compound
