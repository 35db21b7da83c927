// The growth factor of a term: (1 + rate) multiplied into itself once per period.
//
// Promise: every function here returns, bit for bit, what multiplying period by
// period in binary64 gives, each product rounded to nearest on its own, with a
// period counter that never overflows.
#pragma once

#include <cfloat>
#include <cstdint>

// Each product is rounded once, to binary64. A build that evaluates doubles at
// a wider precision, as the x87 unit of 32-bit x86 does without SSE math,
// rounds twice and gives other digits, so it is refused.
static_assert(
    FLT_EVAL_METHOD == 0 || FLT_EVAL_METHOD == 1,
    "double arithmetic must be evaluated in binary64 (on 32-bit x86: -msse2 -mfpmath=sse)");

// Every product is also taken as written: a build allowed to assume that no
// value is infinite or NaN, to drop the sign of a zero, or to regroup or
// invert products gives other digits. The project's build turns all of that
// off after the caller's flags; a build that has it on all the same, compiled
// without them or with MSVC's /fp:fast, is refused wherever the compiler
// makes it visible.
#if defined(__FAST_MATH__) || (defined(__FINITE_MATH_ONLY__) && __FINITE_MATH_ONLY__) ||           \
    defined(__ASSOCIATIVE_MATH__) || defined(__RECIPROCAL_MATH__) ||                               \
    defined(__NO_SIGNED_ZEROS__) || defined(_M_FP_FAST)
#error "fast math (-ffast-math, /fp:fast or any of their parts) changes compound's digits"
#endif

namespace compound {

// The factor after `periods` further periods: `factor` multiplied by `step`
// that many times, each product rounded to double.
double grow(double factor, double step, std::uint64_t periods) noexcept;

// The growth factor of a term of `years` at `rate` per period: (1 + rate) to
// the power of the number of periods, formed by repeated multiplication.
//
// The number of periods is the smallest whole number n with n >= 1 and
// n >= years: one period for a term at or below 1, NaN and -inf included; a
// fractional term is rounded up. A term of 2^64 periods or more is longer than
// any factor takes to settle, so it gives the settled factor (every such
// finite term is an even number of periods). An infinite term gives the value
// the factor settles to, or NaN where it ends alternating between two values.
double growth(double years, double rate) noexcept;

// The number of periods after which a normal, finite, positive `factor`,
// multiplied by `step` > 1 each period, has certainly overflowed to infinity.
// Never fewer than it takes; for a step of 1 + 2^-33 or more, at most a
// millionth more, plus a period. Nearer one, the rounding that the bound
// allows for in every period is a larger share of the growth: at 1 + 2^-52 it
// is up to twice the periods it takes.
std::uint64_t periods_to_overflow(double factor, double step) noexcept;

} // namespace compound
