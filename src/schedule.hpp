// The schedule of a term: the amount after each of the periods that a table
// of it shows, formed in one pass over the periods.
//
// Promise: the amount written for period k is, byte for byte, what the console
// program writes for "money,k,rate", and the principal what it writes for
// "money,1,0": the pass carries the factor from one shown period to the next
// with grow, which gives the per-period product bit for bit.
#pragma once

#include <cstddef>
#include <cstdio>
#include <span>

namespace compound {

constexpr std::size_t most_rows = 100;

// The number of periods the program applies to a term of `years`: the
// smallest whole number n with n >= 1 and n >= years, so 1 for NaN and minus
// infinity. Infinity for an infinite term, which has no last period.
double periods_of(double years) noexcept;

// The periods that the table of a term of `n` periods shows, in increasing
// order, for a whole, finite n >= 1; returns how many. Every period up to 100
// periods; beyond, 1, n and the multiples of the smallest round step (1, 2 or
// 5 times a power of ten) that keeps them to 100 rows. A multiple beyond 2^53
// is taken to the nearest double, which the program reads back exactly.
std::size_t shown_periods(double n, std::span<double, most_rows> periods) noexcept;

// Reads "money,years,rate" from `in` as the console program does and writes
// the schedule to `out`, a line at a time, each flushed as soon as the pass
// reaches it:
//
//   rows <count>            rows to come; 0 for a term with no last period
//   principal <amount>      as the console program writes "money,1,0"
//   <period> <amount>       as it writes "money,<period>,rate", once per row
//
// Periods are whole numbers in decimal. Returns 0, or 1 if the input cannot be
// read or the schedule cannot be written, with a message on standard error.
int write_schedule(std::FILE* in, std::FILE* out);

} // namespace compound
