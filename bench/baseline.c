/* The plain program, for whole-process timing only: the same job written the
 * way a plain C program would do it, read with scanf, the growth factor formed
 * one period at a time, written with printf, and built as C programs are.
 * Valid for terms below 2^63 periods. */
#include "per_period.h"

#include <stdint.h>
#include <stdio.h>

int main(void)
{
    double money = 0, years = 0, rate = 0;
    if (scanf("%lf,%lf,%lf", &money, &years, &rate) != 3) {
        return 2;
    }
    /* One period at least; a fractional term is rounded up. */
    uint64_t periods = 1;
    if (years > 1) {
        periods = (uint64_t)years;
        periods += (double)periods < years;
    }
    const double step = 1.0 + rate;
    printf("%.2f", money * per_period(step, step, periods - 1));
    return 0;
}
