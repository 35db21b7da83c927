// The web page's second entry into the WebAssembly module, beside the console
// program's _start: the schedule of the standard input, written row by row as
// the pass reaches it (schedule.hpp). Calling it runs the module's start-up
// and clean-up around it, as _start does, so standard output is flushed.
#include "schedule.hpp"

#include <cstdio>

extern "C" __attribute__((export_name("schedule"))) int compound_schedule()
{
    return compound::write_schedule(stdin, stdout);
}
