// The plain program, for whole-process timing only: the growth factor formed
// one period at a time with a 32-bit period counter, read with scanf and
// written with printf. Valid for terms up to 2147483647.
#include <cstdio>

int main()
{
    double money = 0, years = 0, rate = 0;
    if (std::scanf("%lf,%lf,%lf", &money, &years, &rate) != 3) {
        return 2;
    }
    double factor = 1.0 + rate;
    for (int period = 1; years > period; ++period) {
        factor *= 1.0 + rate;
    }
    std::printf("%.2f", money * factor);
    return 0;
}
