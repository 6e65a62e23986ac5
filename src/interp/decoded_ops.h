// Ops decoded once: the hot ops with a fixed operand list are turned, at their first execution,
// into a record of resolved operands (base register and offset), their jump target and the pc
// after them, so later executions skip the operand tables and the op-stream numbers. Ops whose
// operands depend on the callee or on a bif, and anything that does not decode cleanly, run from
// the op stream as before.
#pragma once

#include <cstdint>
#include <vector>

#include "interp/op_stream.h"

namespace quillet {

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
};

inline constexpr uint32_t raw_op = UINT32_MAX;

struct DecodedCode {
    Addr image = 0;
    uint32_t size = 0;
    std::vector<uint32_t> slot;   // per image byte: 0 not yet seen, raw_op, or 1 + index into ops
    std::vector<DecodedOp> ops;
};

inline DecodedCode decoded;

// Forgets every decoded op; the next run decodes from the image laid out now.
void reset_decoded_ops();

// The slot of the op at pc (in the current module), decoding it now.
uint32_t decode_op_at(Addr pc);

} // namespace quillet
