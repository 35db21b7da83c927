// Differential fuzzing of the scanner against the GNU C library's fscanf,
// whose reading it reproduces: the count returned, every field bit for bit,
// and how far into the input each of them reads.
#include "scan.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    in = open_bytes(bytes.data(), size);
    const int their_count = std::fscanf(in, "%lf,%lf,%lf", &theirs[0], &theirs[1], &theirs[2]);
    const long their_position = std::ftell(in);
    std::fclose(in);

    if (our_count != their_count || our_position != their_position ||
        std::bit_cast<std::array<std::uint64_t, 3>>(ours) !=
            std::bit_cast<std::array<std::uint64_t, 3>>(theirs)) {
        print("scan_numbers", our_count, ours, our_position);
        print("fscanf", their_count, theirs, their_position);
        std::abort();
    }
    return 0;
}
