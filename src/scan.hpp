// Reading numbers the way the C library's formatted input reads "%lf,%lf,%lf",
// with the same result on every platform and C runtime.
//
// Promise: scan_numbers consumes the same characters and stores the same
// doubles, bit for bit, as the GNU C library's fscanf with the format "%lf"
// repeated for each field and separated by literal commas. Each number is
// correctly rounded to the nearest double, ties to even, by the program's
// own conversion rather than the runtime's, which not every runtime rounds
// correctly.
#pragma once

#include <cstdio>
#include <span>

namespace compound {

// Reads one number into each of `fields` in turn, a comma directly after each
// number but the last. Stops at the first field that cannot be read, leaving
// it and the fields after it unchanged. Returns the number of fields stored,
// or EOF if the input ended before the first one.
//
// The character that ends a number, or that is not the comma expected, is
// pushed back and left unread. A word broken part way is the exception, as in
// the C library: the character that breaks it is taken with it, so that
// "infin,2,3" stores nothing and leaves "2,3" unread.
//
// A number is what the C conversion "%lf" takes: white space first, then an
// optional sign and a decimal or hexadecimal floating constant, "inf",
// "infinity" or "nan" in any case. The point is the decimal separator.
int scan_numbers(std::FILE* in, std::span<double> fields);

} // namespace compound
