// quillet: assembler, disassembler, binder and runner of B-code images.
#include "asm_error.h"
#include "bcode/format_error.h"
#include "bcode/version.h"
#include "commands.h"
#include "file_io.h"

#include <filesystem>
#include <iostream>

using namespace quillet::tools;

int main(int argc, char** argv) {
    Args args(argv + 1, argv + argc);
    if (args.empty()) {
        std::cerr << usage_overview();
        return 2;
    }
    std::string command = args[0];
    if (command == "--version") {
        std::cout << "quillet " << quillet::quillet_version << "\n";
        return 0;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        if (args.size() > 1 && command == "help") {
            std::string text = usage_of(args[1]);
            if (text.empty()) {
                std::cerr << "quillet: no command '" << args[1] << "'\n" << usage_overview();
                return 2;
            }
            std::cout << text;
        } else {
            std::cout << usage_overview();
        }
        return 0;
    }
    args.erase(args.begin());
    std::string help = usage_of(command);
    if (help.empty()) {
        std::cerr << "quillet: unknown command '" << command << "'\n\n" << usage_overview();
        return 2;
    }
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::cout << help;
            return 0;
        }
    try {
        if (command == "asm") return command_asm(args);
        if (command == "dis") return command_dis(args);
        if (command == "bind") return command_bind(args, argv[0]);
        if (command == "port") return command_port(args, argv[0]);
        if (command == "unbind") return command_unbind(args);
        if (command == "bifs") return command_bifs(args);
        if (command == "compile") return command_compile(args, argv[0]);
        return command_run(args, argv[0]);
    } catch (const AsmError& e) {
        std::cerr << e.what() << "\n";
    } catch (const quillet::bcode::FormatError& e) {
        std::cerr << "quillet " << command << ": " << e.what() << "\n";
    } catch (const UsageError& e) {
        std::cerr << "quillet " << command << ": " << e.what() << "\n";
        return 2;
    } catch (const ToolError& e) {
        std::cerr << "quillet " << command << ": " << e.what() << "\n";
    } catch (const std::filesystem::filesystem_error& e) {
        std::cerr << "quillet " << command << ": " << e.what() << "\n";
    }
    return 1;
}
