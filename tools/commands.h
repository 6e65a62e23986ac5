// The subcommands of `quillet`; each returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace quillet::tools {

using Args = std::vector<std::string>;

int command_asm(const Args& args);
int command_dis(const Args& args);
int command_bind(const Args& args, const std::string& self);
int command_unbind(const Args& args);
int command_port(const Args& args, const std::string& self);
int command_run(const Args& args, const std::string& self);
int command_bifs(const Args& args);
int command_compile(const Args& args, const std::string& self);

// Help texts: the overview, or one command's (empty when there is no such command).
std::string usage_overview();
std::string usage_of(const std::string& command);

} // namespace quillet::tools
