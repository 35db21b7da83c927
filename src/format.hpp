// The written form of an amount, the program's one output.
//
// Promise: the text is the amount's exact binary value rounded to two
// decimals, to nearest, ties to even, as "%.2f" writes it on a correct C
// runtime, and the same on every platform; every NaN is written "nan".
#pragma once

#include <cstddef>
#include <span>

namespace compound {

// The longest text of an amount: a sign, the 309 integer digits of the
// largest finite double, the point and two decimals.
constexpr std::size_t longest_amount = 1 + 309 + 1 + 2;

// Writes `amount` into `text` and returns the number of characters written.
std::size_t format_amount(double amount, std::span<char, longest_amount> text) noexcept;

} // namespace compound
