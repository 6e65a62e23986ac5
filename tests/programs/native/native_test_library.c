/* A native routine library for the program tests: add_into adds its numeric value parameter to
 * the caller's variable passed by reference. */
#include "interp/quillet_native.h"

#include <stdint.h>
#include <string.h>

static uint64_t load_cell(const struct quillet_native_call* call, uint32_t at) {
    uint64_t v;
    memcpy(&v, call->arena + at, sizeof v);
    return v;
}

static double as_double(uint64_t cell) {
    if ((uint32_t)(cell >> 32) == 0xFFFFFFFFu) return (double)(int32_t)(uint32_t)cell;
    double d;
    memcpy(&d, &cell, sizeof d);
    return d;
}

void add_into(const struct quillet_native_call* call) {
    double n = as_double(load_cell(call, call->numeric_first));
    uint32_t target;
    memcpy(&target, call->arena + call->slots_top - 8, sizeof target);
    double sum = as_double(load_cell(call, target)) + n;
    uint64_t cell = 0xFFFFFFFF00000000u | (uint32_t)(int32_t)sum;
    memcpy(call->arena + target, &cell, sizeof cell);
}
