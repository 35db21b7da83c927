/* The growth factor the plain way: `factor` multiplied by `step` once for each
 * of `periods` periods, each product rounded on its own, and nothing else.
 * The reference that the fast growth factor is checked and timed against, in
 * the unit tests, the fuzz target and the benchmarks; C and C++ alike. */
#ifndef COMPOUND_PER_PERIOD_H
#define COMPOUND_PER_PERIOD_H

#include <math.h>
#include <stdint.h>
#include <string.h>

static inline double per_period(double factor, double step, uint64_t periods)
{
    for (; periods > 0; --periods) {
        factor *= step;
    }
    return factor;
}

/* Whether a factor is the reference's: bit for bit, except that any NaN
 * matches any NaN, since which one a product carries is the processor's
 * choice, not the code's. */
static inline int same_factor(double reference, double factor)
{
    return memcmp(&reference, &factor, sizeof factor) == 0 || (isnan(reference) && isnan(factor));
}

#endif
