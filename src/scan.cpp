// The scanner behind scan_numbers. It takes characters exactly as the C
// library's "%lf" does: it keeps taking them while they can continue a
// number, pushes back the first one that cannot, and then converts the
// longest prefix that is a whole number, so that "1e+" reads as 1. Only the
// conversion differs: the digits go to std::from_chars.
//
// A number may have any length, but no buffer grows with it. Past the first
// 800 significant decimal digits (32 hexadecimal ones) only whether any
// later digit is nonzero can change the rounding, since no double and no
// point halfway between two doubles needs more; that is kept as one more
// nonzero digit, and the digits dropped before the point shift the power.
#include "scan.hpp"

#include <algorithm>
#include <array>
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
// power of the base (ten, or two for hexadecimal) that scales them.
constexpr std::size_t kept_decimal_digits = 800;
constexpr std::size_t kept_hex_digits = 32;
constexpr std::int64_t power_limit = 1'000'000; // far beyond every finite double

struct Digits {
    bool hexadecimal = false;
    bool any = false;   // a digit, before or after the point
    bool point = false; // the point has been taken
    std::array<char, kept_decimal_digits + 1> kept{};
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

// The value of the digits times base^exponent, rounded to nearest by
// std::from_chars.
//
// A decimal goes to it with at least 20 significant digits, zeros appended,
// which no conversion takes its shortcut for: a short decimal may be
// converted as a product or quotient of two doubles, and a C++ library built
// for the x87 unit of 32-bit x86 rounds that twice. With more digits than a
// 64-bit whole number holds, the conversion works on whole numbers alone.
constexpr std::size_t least_decimal_digits = 20;

double convert(Digits& digits, std::int64_t exponent)
{
    if (digits.count == 0) {
        return 0;
    }
    if (digits.dropped_nonzero) {
        digits.kept[digits.count++] = '1';
        digits.power -= digits.hexadecimal ? 4 : 1;
    }
    for (; !digits.hexadecimal && digits.count < least_decimal_digits; --digits.power) {
        digits.kept[digits.count++] = '0';
    }
    const std::int64_t power = std::clamp(digits.power + exponent, -power_limit, power_limit);

    std::array<char, kept_decimal_digits + 1 + 1 + 20> text{};
    char* end = std::copy_n(digits.kept.data(), digits.count, text.data());
    *end++ = digits.hexadecimal ? 'p' : 'e';
    end = std::to_chars(end, text.data() + text.size(), power).ptr;

    double value = 0;
    const auto format = digits.hexadecimal ? std::chars_format::hex : std::chars_format::scientific;
    if (std::from_chars(text.data(), end, value, format).ec == std::errc::result_out_of_range) {
        // Too large or too small for a double: the leading digit's power says which.
        const auto length = static_cast<std::int64_t>(digits.count);
        const bool large = power + (digits.hexadecimal ? 4 * length : length) > 0;
        value = large ? std::numeric_limits<double>::infinity() : 0;
    }
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
