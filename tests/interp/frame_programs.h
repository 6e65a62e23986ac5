// The B-code program the frame-building tests run: a main program whose body is one call after
// another, each to a routine whose entry descriptor uses other codes, with arguments in every
// address mode.
#pragma once

namespace quillet::test {

// main's slots: title F-40, note F-48, fixed F-56, grid F-64, names F-72, then the reserved
// reference slots cell F-80 and text F-88.
inline constexpr const char* frame_program = R"(
module main
  routine main name "Main program"
    local num total
    local num count
    local str title
    local str note
    local str fixed size 12
    local numarr grid (1 to 3)
    local strarr names (0 to 1) size 3
    reserve num cell, str text
    line 10
    call values total, title, 42, "literal", lit2 7
    call refs total, title, grid, names
    call results count, note
    call mixed total, title, count, note, cell, text
    call locals_only
    call through_modes env 40, env_ref 80, shared1 40, global 48, frame_ref 88
    call helper total, note
    call with_nothing total
    call odd_order title, count
    call with_arrays grid, names, count
    call array_locals
    call with_channel 7
    call with_block total
    call native_missing total
    call allocates_first
    call overfull total
    end_unit 0

  routine values
    param num n
    param str s
    param num k
    param str literal
    param num k2
    return

  routine refs
    ref num rn
    ref str rs
    ref numarr ra
    ref strarr rb
    return

  routine results
    result num out
    result str outs
    return

  routine mixed
    local num a
    local str b
    local str c size 5
    param num n
    param str s
    nothing
    result num out
    ref str rs
    reserve 2
    ref num by_element
    ref str by_element_str
    return

  routine locals_only
    local num 3
    local str 2
    local str size 7
    local str size 0
    reserve 1
    return

  routine through_modes
    param num a
    param num b
    param str d
    ref str c
    result str e
    return

  internal helper of main
    param num n
    result str out
    return

  routine with_nothing
    nothing
    param num n
    nothing
    return

  routine odd_order
    param str s
    local num 2
    result num r
    return

  routine with_arrays
    param numarr a
    param strarr b
    ref num spare
    return

  routine array_locals
    local numarr (0 to 4, 1 to 2)
    local strarr (1 to 2) size 9
    return

  routine with_channel
    channel 3
    return

  routine with_block
    local num counter
    local str label
    shared 0
    param num n
    local num mine
    return

  routine native_missing
    param num x
    native "no_such_procedure" "libm.so.6"

  ; An array of 31 dimensions (5001) in a frame whose regions do not meet (stack frame error):
  ; the raise comes first.
  routine allocates_first
    frame_size 30
    local numarr (1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1, 1 to 1)
    return

  ; Room for the array slot but not for the parameter after it.
  routine overfull
    frame_size 22
    local numarr (1 to 2)
    param num n
    return
end
)";

} // namespace quillet::test
