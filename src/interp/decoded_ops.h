// Ops decoded once: the hot ops with a fixed operand list are turned, at their first execution,
// into a record of resolved operands (base register and offset), their jump target and the pc
// after them, so later executions skip the operand tables and the op-stream numbers. Ops whose
// operands depend on the callee or on a bif, and anything that does not decode cleanly, run from
// the op stream as before.
#pragma once

#include "interp/op_stream.h"

#include <cstdint>
#include <deque>
#include <vector>

namespace quillet {

// An operand resolved as far as the descriptor alone allows: its cell is at the base register's
// value plus delta, or at the address stored there for the two reference modes.
struct Operand {
    uint8_t base = 0;
    bool indirect = false;
    int32_t delta = 0;
};

QUILLET_HOT_INLINE Addr operand_address(const Operand& o) {
    Addr a = vm.bases[o.base] + Addr(o.delta);
    return o.indirect ? load_u32(a) : a;
}

// The op bytes by name, from the one op list.
enum OpByte : uint8_t {
#define QUILLET_OP(byte, name, operands) op_##name = byte,
#include "bcode/ops.def"
#undef QUILLET_OP
};

struct DecodedOp {
    uint8_t op = 0;
    Addr next = 0;   // pc after the op and its operands
    Addr target = 0; // jumps, FOR and GOSUB: where the offset leads
    Operand x[4];
    // The decoded ops that most recently followed this one, by their pc: the loop goes on to a
    // known successor without looking it up. Two cover falling through and jumping.
    Addr follower_pc[2] = {};
    DecodedOp* follower[2] = {};
};

struct DecodedCode {
    Addr image = 0;
    uint32_t size = 0;
    std::vector<DecodedOp*> slot; // per image byte: not yet seen, raw_op(), or its decoded op
    std::deque<DecodedOp> ops;    // a deque: records never move once made
};

inline DecodedCode decoded;

// The slot mark of an op that runs from the op stream.
inline DecodedOp* raw_op() {
    static DecodedOp mark;
    return &mark;
}

// Forgets every decoded op; the next run decodes from the image laid out now.
void reset_decoded_ops();

// The decoded op at pc (in the current module), decoding it now; raw_op() when it runs from the
// op stream, nullptr when pc lies outside the image.
DecodedOp* decoded_op_at(Addr pc);

} // namespace quillet
