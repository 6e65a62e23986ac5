// The fuzzed entries. Each takes arbitrary bytes and must never crash, hang or leak; it aborts
// when a property it checks does not hold. A libFuzzer target (fuzz_target.cpp) is built for
// each in the fuzz build, and the replay executable (replay.cpp) runs them over their seeds and
// regressions in every build.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillet::fuzz {

// image_reader: the bytes as an image and as a bound executable; an image that passes
// validation must survive writing, disassembly and reassembly byte for byte.
void read_image_bytes(const uint8_t* data, size_t size);

// engine: the bytes as an image, loaded and run for a bounded number of ops; bifs that reach
// the machine end the run.
void run_engine_on(const uint8_t* data, size_t size);

// engine_differential: the bytes as an image run as the engine entry runs it, twice: from the op
// stream alone and with decoded ops (the reading of the time of day and the seeding of random
// numbers from it refused as well). Both runs must end alike: the same exit, registers and count
// of ops, and the arena byte for byte.
void run_engine_both_ways(const uint8_t* data, size_t size);

// bmp_reader, png_reader, jpeg_reader: the bytes as a picture file; a picture a reader returns
// must decode and survive writing as PNG and BMP and reading back pixel for pixel. The PNG entry
// first makes every chunk's CRC right (png_chunks.h), and libpng must not find one wrong.
void read_bmp_file(const uint8_t* data, size_t size);
void read_png_file(const uint8_t* data, size_t size);
void read_jpeg_file(const uint8_t* data, size_t size);

// asm: the bytes as assembly source text; text that assembles must give an image that
// disassembles and assembles again to the same bytes.
void assemble_text(const uint8_t* data, size_t size);

// compiler: the bytes as a BASIC program compiled for the console; a program is refused with
// diagnostics (never an internal compiler error) or gives an image that validates.
void compile_basic_text(const uint8_t* data, size_t size);

// disasm: the bytes as an image without its 2048-byte bif override table (which stays zero), so
// that mutations reach the areas and modules; an image that passes validation must disassemble
// into text that assembles to the same bytes.
void disassemble_image(const uint8_t* data, size_t size);

// input_script: the bytes as a headless input script; the parser refuses a malformed line with
// "NAME:LINE: message" or gives commands whose fields are in range.
void parse_input_script_text(const uint8_t* data, size_t size);

// conversions: the bytes as a sequence of operations on the number and text conversions (the
// fast paths of bifs 13 and 14, the token scanner, packed doubles, searches, bit fields, case
// changes), each checked against a plain reference or a round trip.
void convert_numbers_and_texts(const uint8_t* data, size_t size);

// path_mapping: the bytes as a program's file name (a first byte choosing drive C, drive D or
// none, and the engine's name buffer or not), mapped against a tree made in a temporary
// directory; a drive name never leaves its drive's directory, and each component mapped is the
// one asked for or an entry differing from it in case alone.
void map_file_name(const uint8_t* data, size_t size);

} // namespace quillet::fuzz
