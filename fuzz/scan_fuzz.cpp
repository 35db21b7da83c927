// Differential fuzzing of the scanner against the GNU C library's fscanf,
// whose reading it reproduces: the count returned, every field bit for bit,
// and how far into the input each of them reads.
//
// One exception: the GNU C library (2.36, at least) rounds some hexadecimal
// constants twice, to 53 bits first and then to a subnormal, so that
// 0x1.00000000000008p-1075 reads as 0 where the nearest double is 2^-1074.
// Where a hexadecimal field differs, the standard library's std::from_chars,
// whose hexadecimal conversion rounds once, decides.
#include "scan.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

using Fields = std::array<double, 3>;
constexpr double unread = std::numeric_limits<double>::quiet_NaN();

void print(const char* who, int count, const Fields& fields, long position)
{
    std::fprintf(stderr, "%s: %d [%a %a %a] at %ld\n", who, count, fields[0], fields[1], fields[2],
                 position);
}

// A stream of the first `size` bytes; fmemopen needs a buffer of at least one
// byte, so an empty stream is that byte, read past.
std::FILE* open_bytes(char* bytes, std::size_t size)
{
    std::FILE* in = fmemopen(bytes, size > 0 ? size : 1, "r");
    if (size == 0) {
        std::fgetc(in);
    }
    return in;
}

// The value of the field that fscanf read from `text`, by std::from_chars, if
// it is a hexadecimal constant that converts without error.
bool hexadecimal_value(const char* text, const char* end, double& value)
{
    while (text != end && std::strchr(" \t\n\v\f\r", *text) != nullptr) {
        ++text;
    }
    const bool negative = text != end && *text == '-';
    text += text != end && (*text == '-' || *text == '+');
    if (end - text < 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    double magnitude = 0;
    if (std::from_chars(text + 2, end, magnitude, std::chars_format::hex).ec != std::errc{}) {
        return false;
    }
    value = std::copysign(magnitude, negative ? -1.0 : 1.0);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::array<char, 1 << 16> bytes;
    if (size > bytes.size()) {
        return -1;
    }
    std::copy_n(data, size, bytes.data());

    Fields ours{unread, unread, unread};
    std::FILE* in = open_bytes(bytes.data(), size);
    const int our_count = compound::scan_numbers(in, ours);
    const long our_position = std::ftell(in);
    std::fclose(in);

    Fields theirs{unread, unread, unread};
    std::array<int, 3> ends{}; // where each field that fscanf stores ends
    in = open_bytes(bytes.data(), size);
    const int their_count = std::fscanf(in, "%lf%n,%lf%n,%lf%n", &theirs[0], &ends[0], &theirs[1],
                                        &ends[1], &theirs[2], &ends[2]);
    const long their_position = std::ftell(in);
    std::fclose(in);

    for (int i = 0; i < std::min(our_count, their_count); ++i) {
        if (std::bit_cast<std::uint64_t>(ours[i]) != std::bit_cast<std::uint64_t>(theirs[i])) {
            const char* start = bytes.data() + (i == 0 ? 0 : ends[i - 1] + 1); // after the comma
            hexadecimal_value(start, bytes.data() + ends[i], theirs[i]);
        }
    }
    if (our_count != their_count || our_position != their_position ||
        std::bit_cast<std::array<std::uint64_t, 3>>(ours) !=
            std::bit_cast<std::array<std::uint64_t, 3>>(theirs)) {
        print("scan_numbers", our_count, ours, our_position);
        print("fscanf", their_count, theirs, their_position);
        std::abort();
    }
    return 0;
}
