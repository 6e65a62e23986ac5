/* The C interface of native routines: a B-code routine whose entry descriptor names a procedure
 * and a library calls the procedure with a description of the frame built for it. Addresses are
 * offsets into the VM arena that starts at `arena`; see docs/native-routines.md. */
#ifndef QUILLET_NATIVE_H
#define QUILLET_NATIVE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

struct quillet_native_call {
    unsigned char* arena;   /* base of the VM arena */
    uint32_t frame;         /* the frame's highest word */
    uint32_t numeric_first; /* first 8-byte cell of the numeric region (value parameters) */
    uint32_t numeric_end;   /* one past the last numeric cell filled */
    uint32_t slots_top;     /* the first slot is at slots_top - 8 */
    uint32_t slots_end;     /* the last slot filled starts here */
};

typedef void (*quillet_native_proc)(const struct quillet_native_call* call);

#ifdef __cplusplus
}
#endif

#endif
