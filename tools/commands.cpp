#include "commands.h"

#include "assembler.h"
#include "bcode/byte_reader.h"
#include "bcode/elf_sections.h"
#include "bcode/format_error.h"
#include "bcode/image.h"
#include "bcode/trailer.h"
#include "bif_list.h"
#include "binder.h"
#include "compiler.h"
#include "disassembler.h"
#include "file_io.h"
#include "porting.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <optional>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillet::tools {

namespace fs = std::filesystem;

namespace {

struct CommandHelp {
    const char* name;
    const char* text;
};

const CommandHelp helps[] = {
    {"asm", "usage: quillet asm [--library] FILE.qba [-o FILE.img]\n"
            "\n"
            "Assembles B-code assembly (see docs/assembly.md) into an image. The output defaults\n"
            "to FILE.img beside the source. Errors are reported as FILE:LINE: message; nothing is\n"
            "written then and the exit status is 1. --library links the runtime library of\n"
            "compiled BASIC programs: it starts the program's routine main.main, gives bif 13\n"
            "every number's text and lends its routines (docs/compiler.md#the-runtime-library).\n"},
    {"dis", "usage: quillet dis FILE [-o OUT.qba]\n"
            "\n"
            "Disassembles an image, or the image inside a bound executable, into assembly text\n"
            "(standard output by default). The text assembles back into the same bytes: parts\n"
            "that cannot be shown as ops are shown as bytes. A truncated or inconsistent image\n"
            "is refused with a message naming what is wrong.\n"},
    {"bind", "usage: quillet bind [ENGINE] IMAGE -o OUT\n"
             "\n"
             "Writes OUT: the engine executable with the image in its ELF section .quillet_image,\n"
             "which strip and objcopy keep, and at its end the 14-byte trailer (image length, 0,\n"
             "\"OS2Magic\", 0). OUT keeps the engine's permission bits, so it runs as a program.\n"
             "An engine that already carries an image has it replaced. Without ENGINE the engine\n"
             "is $QUILLET_ENGINE, else quillet-engine beside this executable, else the installed\n"
             "one (libexec/quillet/quillet-engine of the installation).\n"},
    {"port",
     "usage: quillet port APP.EXE [-o OUT] [--desktop]\n"
     "\n"
     "Ports a bound application in one step: extracts the image of APP.EXE (a Windows\n"
     "executable with an image bound, a bound program of ours or an image file), binds it\n"
     "to the engine (found as bind finds it) as OUT, by default APP.EXE's name in lower\n"
     "case without .exe, beside it, and says what the image holds: its size, its modules,\n"
     "the bifs its library overrides and whether it supplies the formatting bifs 13 and\n"
     "14. --desktop also writes OUT.desktop, a desktop entry that starts OUT, and OUT.png,\n"
     "the icon of a Windows executable that carries one. docs/porting.md is the guide.\n"},
    {"unbind", "usage: quillet unbind EXE [-o IMAGE] [--no-check]\n"
               "\n"
               "Extracts the image from a bound executable (ours, stripped or not, or a Windows\n"
               "one) into IMAGE, by default EXE's name with .img beside it, checking the trailer\n"
               "or image section and that the image is well-formed; --no-check extracts it\n"
               "without the second check.\n"},
    {"compile",
     "usage: quillet compile [--console] [-o OUT] [--image] [--asm] PROG.bas [MORE.bas ...]\n"
     "\n"
     "Compiles the Quillet BASIC program PROG.bas (UTF-8; see docs/compiler.md) with the\n"
     "runtime library into a bound executable OUT (default: PROG beside the source), or with\n"
     "--image into an image only (default PROG.img); --asm also writes the generated assembly\n"
     "as OUT.qba. Each MORE.bas holds external procedures (a module of its own). The program\n"
     "prints into the text console of its window and reads INPUT typed there, and at its end\n"
     "waits for a key; --console makes a console program instead: PRINT writes standard\n"
     "output and INPUT reads standard input (files, pipes or a terminal), no window opens.\n"
     "Errors are reported as FILE:LINE:COLUMN: error: message with the source line and a\n"
     "caret, all of them in one run; nothing is written then and the exit status is 1.\n"},
    {"run",
     "usage: quillet run [--log FILE] [--library] [--console] FILE.qba|FILE.bas [ARGS...]\n"
     "\n"
     "Assembles FILE.qba (--library links the runtime library as quillet asm --library\n"
     "does), or compiles FILE.bas as quillet compile does (a windowed program, or with\n"
     "--console a console program), or takes FILE as an image or a bound executable when it\n"
     "is one, then binds it to the engine in a temporary directory next to an empty debug\n"
     "log, runs it with ARGS, and removes both afterwards. --log FILE keeps a copy of the\n"
     "debug log. The exit status is the program's. The engine is $QUILLET_ENGINE, else\n"
     "quillet-engine beside this executable, else the installed one. A file that is neither\n"
     "text nor an image (a damaged image, an executable with no image) is refused, not\n"
     "assembled.\n"},
    {"bifs", "usage: quillet bifs [NUMBER|WORD] [--markdown]\n"
             "\n"
             "Lists the engine's native bifs: number, name, operand kinds, whether the engine\n"
             "implements it, what it reaches beyond the engine (files, commands, network,\n"
             "devices, waits, the user) and what it does; only the bif of a NUMBER, or the bifs\n"
             "whose names contain WORD in any case (bifs file: every file bif). Assembly text\n"
             "may name a bif instead of giving its number. --markdown writes the whole list as\n"
             "docs/bifs.md holds it.\n"},
};

[[noreturn]] void usage_error(const std::string& command, const std::string& message) {
    throw UsageError(message + " (see quillet " + command + " --help)");
}

// Splits `-o VALUE` (and flags without value) from the positional arguments.
struct Parsed {
    std::vector<std::string> positional;
    std::string output;
    bool no_check = false;
    bool desktop = false;
    bool library = false;
};

Parsed parse_args(const std::string& command, const Args& args, bool allow_no_check = false,
                  bool allow_desktop = false) {
    Parsed p;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) usage_error(command, "-o needs a file name");
            p.output = args[++i];
        } else if (allow_no_check && args[i] == "--no-check") {
            p.no_check = true;
        } else if (allow_desktop && args[i] == "--desktop") {
            p.desktop = true;
        } else if (command == "asm" && args[i] == "--library") {
            p.library = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            usage_error(command, "unknown option " + args[i]);
        } else {
            p.positional.push_back(args[i]);
        }
    }
    return p;
}

bool looks_like_image(const std::vector<uint8_t>& bytes) {
    return bytes.size() >= 4 && std::memcmp(bytes.data(), bcode::image_magic, 4) == 0;
}

std::string hex_bytes(std::span<const uint8_t> bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        char text[4];
        std::snprintf(text, sizeof text, "%s%02X", out.empty() ? "" : " ", b);
        out += text;
    }
    return out;
}

// Refuses, with a message naming `path`, bytes that are not assembly text, an image or a bound
// executable: an image whose magic is damaged or cut short, an executable with no image bound,
// a binary file. Assembly text never holds a NUL byte.
void refuse_non_text(const std::string& path, const std::vector<uint8_t>& bytes) {
    const size_t n = std::min<size_t>(bytes.size(), 4);
    if (n > 0 && n < 4 && std::memcmp(bytes.data(), bcode::image_magic, n) == 0)
        throw ToolError(path + ": a B-code image cut short (" + std::to_string(bytes.size()) +
                        " bytes)");
    // The other fields of the header tell an image whose magic alone was damaged.
    bool image_shape =
        bytes.size() >= 8 && (std::memcmp(bytes.data() + 1, bcode::image_magic + 1, 3) == 0 ||
                              bcode::get_u32le(bytes.data() + 4) == bcode::image_version);
    if (image_shape)
        throw ToolError(path + ": a damaged B-code image: its magic is " +
                        hex_bytes(std::span(bytes).first(4)) + ", not " +
                        hex_bytes(bcode::image_magic));
    if (bcode::is_elf(bytes))
        throw ToolError(path + " is an executable with no B-code image bound (no trailer and no " +
                        bcode::image_section_name + " section)");
    if (std::find(bytes.begin(), bytes.end(), uint8_t(0)) != bytes.end())
        throw ToolError(path + " is neither assembly text, a B-code image nor a bound executable");
}

// A temporary directory that is removed with everything in it.
class TempDir {
public:
    TempDir() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/quillet-run-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back(0);
        if (!mkdtemp(buf.data()))
            throw ToolError("cannot create a temporary directory: " +
                            std::string(std::strerror(errno)));
        path_ = buf.data();
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The engine to bind to: $QUILLET_ENGINE when set; else quillet-engine beside this executable
// (a build tree), else the installation's (bin/quillet and libexec/quillet/quillet-engine).
std::string find_engine(const std::string& self) {
    if (const char* env = std::getenv("QUILLET_ENGINE"); env && *env) {
        if (!fs::exists(env))
            throw ToolError(std::string("there is no engine ") + env +
                            " (named by QUILLET_ENGINE)");
        return env;
    }
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) exe = fs::absolute(self);
    const fs::path places[] = {
        exe.parent_path() / "quillet-engine",
        (exe.parent_path() / QUILLET_LIBEXEC_FROM_BIN / "quillet-engine").lexically_normal()};
    for (const fs::path& p : places)
        if (fs::exists(p, ec)) return p.string();
    throw ToolError("no engine: there is no " + places[0].string() + " (a build) nor " +
                    places[1].string() +
                    " (an installation); build it, or set QUILLET_ENGINE to use another engine");
}

// The child of `quillet run` while it runs: a termination signal sent to us is passed on to it,
// so that we live to remove the temporary directory after it ends. One that comes before the
// child exists is kept and passed on (or stops the run) once it is known.
volatile sig_atomic_t running_child = 0;
volatile sig_atomic_t pending_signal = 0;

void pass_signal_on(int sig) {
    if (running_child > 0)
        kill(pid_t(running_child), sig);
    else
        pending_signal = sig;
}

// An interrupt from the terminal reaches the program itself; one that comes before it runs
// stops the run.
void note_interrupt(int sig) {
    if (running_child == 0) pending_signal = sig;
}

// Signal dispositions changed for the time of a run and put back afterwards.
class RunSignals {
public:
    RunSignals() {
        struct sigaction note {};
        note.sa_handler = note_interrupt;
        // SIGINT and SIGQUIT from the terminal reach the program directly.
        sigaction(SIGINT, &note, &old_[0]);
        sigaction(SIGQUIT, &note, &old_[1]);
        struct sigaction pass {};
        pass.sa_handler = pass_signal_on;
        sigaction(SIGTERM, &pass, &old_[2]);
        sigaction(SIGHUP, &pass, &old_[3]);
    }
    ~RunSignals() {
        running_child = 0;
        pending_signal = 0;
        const int signals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
        for (int i = 0; i < 4; ++i)
            sigaction(signals[i], &old_[i], nullptr);
    }
    RunSignals(const RunSignals&) = delete;
    RunSignals& operator=(const RunSignals&) = delete;

private:
    struct sigaction old_[4]{};
};

// Runs the program and returns its exit status; the caller holds RunSignals from before it made
// the temporary files, so interrupts from the terminal reach the program, not us, and
// termination signals sent to us are passed on to it: the temporary files are always removed.
int run_program(const std::string& program, const Args& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (pending_signal) return 128 + pending_signal;
    pid_t pid;
    int rc = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0) throw ToolError("cannot start " + program + ": " + std::strerror(rc));
    running_child = pid;
    if (pending_signal) kill(pid, pending_signal);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}

void print_warnings(const std::vector<std::string>& warnings) {
    for (const std::string& w : warnings)
        std::cerr << w << "\n";
}

// Bytes given to `run` or `dis`: an image as it is, the image of a bound executable (by its
// trailer or its image section), or none.
std::optional<std::vector<uint8_t>> image_in(const std::string& path,
                                             const std::vector<uint8_t>& bytes) {
    if (looks_like_image(bytes)) return bytes;
    if (!bcode::carries_bound_image(bytes)) return std::nullopt;
    try {
        return unbind_image(bytes, false);
    } catch (const bcode::FormatError& e) {
        throw ToolError(path + ": " + e.what());
    }
}

std::vector<uint8_t> image_of(const std::string& path) {
    std::vector<uint8_t> bytes = read_file(path);
    std::optional<std::vector<uint8_t>> image = image_in(path, bytes);
    if (image) return std::move(*image);
    refuse_non_text(path, bytes);
    throw ToolError(path + " is neither a B-code image nor a bound executable (no trailer and no " +
                    bcode::image_section_name + " section)");
}

bool is_basic_source(const std::string& path) {
    std::string ext = fs::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext == ".bas";
}

// Compiles a BASIC source, a console or a windowed program; its diagnostics go to standard
// error.
std::vector<uint8_t> compile_basic(const std::string& source, const std::vector<uint8_t>& bytes,
                                   bool console) {
    compiler::Diagnostics diags;
    compiler::CompileOutput out;
    bool ok = compiler::compile_program({{source, std::string(bytes.begin(), bytes.end())}}, diags,
                                        out, !console);
    std::cerr << diags.render();
    if (!ok) throw ToolError(source + " was not compiled");
    return std::move(out.image);
}

// Runs `step` on the bytes of `path`; a malformed image or executable is reported with its name.
template <class Step>
auto about_file(const std::string& path, Step step) {
    try {
        return step();
    } catch (const bcode::FormatError& e) {
        throw ToolError(path + ": " + e.what());
    }
}

} // namespace

std::string usage_overview() {
    return "usage: quillet COMMAND [ARGS...]\n"
           "\n"
           "Commands:\n"
           "  asm FILE.qba [-o FILE.img]          assemble B-code assembly into an image\n"
           "  dis FILE [-o OUT.qba]               disassemble an image or a bound executable\n"
           "  bind [ENGINE] IMAGE -o OUT          bind an image to an engine executable\n"
           "  unbind EXE [-o IMAGE] [--no-check]  extract the image from a bound executable\n"
           "  port APP.EXE [-o OUT] [--desktop]   extract, bind to the engine and report\n"
           "  run [--log FILE] FILE [ARGS]        assemble or compile, bind to the engine and run\n"
           "  bifs [NUMBER|WORD] [--markdown]     list the engine's bifs\n"
           "  compile [--console] PROG.bas        compile a BASIC program to an executable\n"
           "\n"
           "quillet COMMAND --help describes a command; docs/assembly.md the assembly language;\n"
           "quillet --version prints the version.\n";
}

std::string usage_of(const std::string& command) {
    for (const CommandHelp& h : helps)
        if (command == h.name) return h.text;
    return "";
}

// An assembly source, with the runtime library after it when asked for; its own lines keep
// their numbers.
std::string with_library(std::string text, bool library) {
    if (library) text += "\n" + compiler::library_text();
    return text;
}

int command_asm(const Args& args) {
    Parsed p = parse_args("asm", args);
    if (p.positional.size() != 1) usage_error("asm", "asm takes one source file");
    const std::string& source = p.positional[0];
    std::string output = p.output;
    if (output.empty()) output = fs::path(source).replace_extension(".img").string();
    if (fs::path(output) == fs::path(source))
        usage_error("asm", "the output would overwrite the source " + source);
    std::vector<std::string> warnings;
    std::vector<uint8_t> image =
        assemble_bytes(with_library(read_text_file(source), p.library), source, &warnings);
    print_warnings(warnings);
    write_file(output, image);
    return 0;
}

int command_dis(const Args& args) {
    Parsed p = parse_args("dis", args);
    if (p.positional.size() != 1) usage_error("dis", "dis takes one image or bound executable");
    const std::string& path = p.positional[0];
    std::vector<uint8_t> image = image_of(path);
    std::string text =
        about_file(path, [&] { return disassemble(image, fs::path(path).filename().string()); });
    if (p.output.empty()) {
        std::cout << text;
        std::cout.flush();
        if (!std::cout) throw ToolError("cannot write the disassembly to standard output");
    } else {
        write_file(p.output, std::vector<uint8_t>(text.begin(), text.end()));
    }
    return 0;
}

int command_bind(const Args& args, const std::string& self) {
    Parsed p = parse_args("bind", args);
    if (p.positional.empty() || p.positional.size() > 2 || p.output.empty())
        usage_error("bind", "bind takes [ENGINE] IMAGE -o OUT");
    const std::string engine_file = p.positional.size() == 2 ? p.positional[0] : find_engine(self);
    const std::string& image_file = p.positional.back();
    std::vector<uint8_t> engine = read_file(engine_file);
    std::vector<uint8_t> image = read_file(image_file);
    if (image.size() > 0xFFFFFFFFu)
        throw ToolError(image_file + " is too large for a trailer's 32-bit length");
    about_file(image_file, [&] { return bcode::validate_image(image); });
    bool replaced = false, in_section = false;
    std::vector<uint8_t> bound =
        about_file(engine_file, [&] { return bind_image(engine, image, replaced, &in_section); });
    if (replaced)
        std::cerr << "quillet bind: " << engine_file
                  << " already carried an image; it was replaced\n";
    if (!in_section && bcode::is_elf(engine))
        std::cerr << "quillet bind: " << engine_file << " has no ELF section table; the image "
                  << "is only appended, and stripping " << p.output << " would remove it\n";
    write_file(p.output, bound, true, engine_file);
    return 0;
}

int command_unbind(const Args& args) {
    Parsed p = parse_args("unbind", args, true);
    if (p.positional.size() != 1) usage_error("unbind", "unbind takes EXE [-o IMAGE]");
    const std::string& exe_file = p.positional[0];
    std::string output = p.output;
    if (output.empty()) output = fs::path(exe_file).replace_extension(".img").string();
    std::error_code ec;
    if (fs::equivalent(output, exe_file, ec))
        usage_error("unbind", "the output would overwrite the executable " + exe_file);
    std::vector<uint8_t> exe = read_file(exe_file);
    write_file(output, about_file(exe_file, [&] { return unbind_image(exe, !p.no_check); }));
    return 0;
}

int command_run(const Args& args, const std::string& self) {
    std::string log_copy;
    bool library = false, console = false;
    size_t i = 0;
    for (; i < args.size() && args[i].size() > 1 && args[i][0] == '-'; ++i) {
        if (args[i] == "--log" && i + 1 < args.size())
            log_copy = args[++i];
        else if (args[i] == "--library")
            library = true;
        else if (args[i] == "--console")
            console = true;
        else
            usage_error("run", "unknown option " + args[i]);
    }
    if (i >= args.size()) usage_error("run", "run takes a source file");
    const std::string& source = args[i];
    Args program_args(args.begin() + long(i) + 1, args.end());

    if (!log_copy.empty()) {
        // Refused before the program runs, not after: its log could not be kept.
        fs::path dir = fs::absolute(log_copy).parent_path();
        std::error_code ec;
        if (!fs::is_directory(dir, ec))
            throw ToolError("cannot keep the debug log as " + log_copy +
                            ": there is no directory " + dir.string());
    }
    RunSignals signals;
    std::vector<uint8_t> bytes = read_file(source);
    std::optional<std::vector<uint8_t>> given = image_in(source, bytes);
    if (!given) refuse_non_text(source, bytes);
    if (given) about_file(source, [&] { return bcode::validate_image(*given); });
    std::vector<std::string> warnings;
    const bool basic = !given && is_basic_source(source);
    std::vector<uint8_t> image =
        given   ? std::move(*given)
        : basic ? compile_basic(source, bytes, console)
                : assemble_bytes(with_library(std::string(bytes.begin(), bytes.end()), library),
                                 source, &warnings);
    print_warnings(warnings);
    std::string engine = find_engine(self);
    bool replaced = false;
    std::vector<uint8_t> engine_bytes = read_file(engine);
    std::vector<uint8_t> bound =
        about_file(engine, [&] { return bind_image(engine_bytes, image, replaced); });
    TempDir dir;
    std::string program = dir.path() + "/" + fs::path(source).stem().string();
    write_file(program, bound, true, engine);
    write_file(dir.path() + "/debug", {});
    int status = run_program(program, program_args);
    if (!log_copy.empty()) {
        std::error_code ec;
        fs::copy_file(dir.path() + "/debug", log_copy, fs::copy_options::overwrite_existing, ec);
        if (ec) throw ToolError("cannot keep the debug log as " + log_copy + ": " + ec.message());
    }
    return status;
}

namespace {

// APP.EXE's name in lower case without .exe, beside it.
std::string ported_name(const std::string& exe_file) {
    fs::path path(exe_file);
    std::string name = path.filename().string();
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (lower.size() > 4 && lower.ends_with(".exe")) lower.resize(lower.size() - 4);
    if (lower == name) usage_error("port", "the output would overwrite " + exe_file + "; give -o");
    return (path.parent_path() / lower).string();
}

std::string kind_of(const std::vector<uint8_t>& bytes) {
    if (looks_like_image(bytes)) return "an image file";
    if (bcode::is_elf(bytes)) return "a bound program";
    if (bytes.size() >= 2 && bytes[0] == 'M' && bytes[1] == 'Z')
        return "a Windows executable with an image bound";
    return "a file with an image bound";
}

} // namespace

int command_port(const Args& args, const std::string& self) {
    Parsed p = parse_args("port", args, false, true);
    if (p.positional.size() != 1) usage_error("port", "port takes one APP.EXE");
    const std::string& exe_file = p.positional[0];
    std::vector<uint8_t> bytes = read_file(exe_file);
    std::optional<std::vector<uint8_t>> image = image_in(exe_file, bytes);
    if (!image)
        throw ToolError(exe_file + " has no B-code image bound (no trailer and no " +
                        bcode::image_section_name + " section)");
    std::string summary = about_file(exe_file, [&] { return describe_image(*image); });
    const std::string output = p.output.empty() ? ported_name(exe_file) : p.output;
    std::error_code ec;
    if (fs::equivalent(output, exe_file, ec))
        usage_error("port", "the output would overwrite " + exe_file);
    const std::string engine = find_engine(self);
    std::vector<uint8_t> engine_bytes = read_file(engine);
    bool replaced = false;
    std::vector<uint8_t> bound =
        about_file(engine, [&] { return bind_image(engine_bytes, *image, replaced); });
    write_file(output, bound, true, engine);
    std::cout << exe_file << ": " << kind_of(bytes) << " (" << bytes.size() << " bytes)\n"
              << summary << "engine: " << engine << "\n"
              << "wrote " << output << " (" << bound.size() << " bytes)\n";
    if (p.desktop) {
        const fs::path program = fs::absolute(output).lexically_normal();
        std::string why;
        std::optional<std::vector<uint8_t>> icon = windows_icon_png(bytes, why);
        std::string icon_file;
        if (icon) {
            icon_file = program.string() + ".png";
            write_file(icon_file, *icon);
            std::cout << "icon: " << icon_file << "\n";
        } else {
            std::cout << "icon: none, " << exe_file << ": " << why << "\n";
        }
        const std::string entry = program.string() + ".desktop";
        std::string text = desktop_entry(fs::path(exe_file).stem().string(), program, icon_file);
        write_file(entry, std::vector<uint8_t>(text.begin(), text.end()));
        std::cout << "desktop entry: " << entry
                  << " (copy it to ~/.local/share/applications for the desktop's menu)\n";
    }
    std::cout.flush();
    return 0;
}

int command_bifs(const Args& args) {
    bool markdown = false;
    std::string only;
    for (const std::string& a : args) {
        if (a == "--markdown")
            markdown = true;
        else if (a.size() > 1 && a[0] == '-')
            usage_error("bifs", "unknown option " + a);
        else if (only.empty())
            only = a;
        else
            usage_error("bifs", "bifs takes at most one bif number or word");
    }
    if (markdown && !only.empty()) usage_error("bifs", "--markdown lists every bif");
    std::string text = markdown ? bif_list_markdown() : bif_list_text(only);
    if (text.empty())
        throw ToolError(only.find_first_not_of("0123456789") == std::string::npos
                            ? "no native bif has the number " + only
                            : "no native bif has a name containing " + only);
    std::cout << text;
    return 0;
}

} // namespace quillet::tools

namespace quillet::tools {

int command_compile(const Args& args, const std::string& self) {
    bool console = false, image_only = false, assembly = false;
    std::string output;
    std::vector<std::string> sources;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) usage_error("compile", "-o needs a file name");
            output = args[++i];
        } else if (args[i] == "--console") {
            console = true;
        } else if (args[i] == "--image") {
            image_only = true;
        } else if (args[i] == "--asm") {
            assembly = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            usage_error("compile", "unknown option " + args[i]);
        } else {
            sources.push_back(args[i]);
        }
    }
    if (sources.empty()) usage_error("compile", "compile takes a source file");
    if (output.empty())
        output = fs::path(sources[0]).replace_extension(image_only ? ".img" : "").string();
    if (fs::path(output) == fs::path(sources[0]))
        usage_error("compile", "the output would overwrite the source " + sources[0]);
    std::vector<compiler::SourceInput> inputs;
    for (const std::string& s : sources) {
        std::vector<uint8_t> bytes = read_file(s);
        inputs.push_back({s, std::string(bytes.begin(), bytes.end())});
    }
    compiler::Diagnostics diags;
    compiler::CompileOutput out;
    bool ok = compiler::compile_program(inputs, diags, out, !console);
    std::cerr << diags.render();
    if (!ok) return 1;
    if (assembly)
        write_file(output + ".qba", std::vector<uint8_t>(out.assembly.begin(), out.assembly.end()));
    if (image_only) {
        write_file(output, out.image);
        return 0;
    }
    std::string engine = find_engine(self);
    std::vector<uint8_t> engine_bytes = read_file(engine);
    bool replaced = false;
    std::vector<uint8_t> bound =
        about_file(engine, [&] { return bind_image(engine_bytes, out.image, replaced); });
    write_file(output, bound, true, engine);
    return 0;
}

} // namespace quillet::tools
