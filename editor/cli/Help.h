// lumavox-cli's help: one table with a row per sub-command. `help` lists the
// rows grouped, `help COMMAND` and `COMMAND --help` print one row in full.
//
// A new sub-command adds one row to the table in Help.cpp: its group (rows of
// a new group are listed after the others), its name, its argument synopsis
// and what it does.
#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace lumavox {

struct CommandHelp {
    std::string_view group;     // "documents", "sending", "reading", "settings" ...
    std::string_view name;      // the sub-command ("lang check": two words)
    std::string_view synopsis;  // its arguments and options after the name
    std::string_view summary;   // one line for the list
    std::string_view details;   // more lines for `help COMMAND` (may be empty)
};

std::span<const CommandHelp> commandHelp();
// The row of a sub-command (its first word is enough), or null.
const CommandHelp* findCommandHelp(std::string_view name);

// The whole list, grouped, with the options every command takes.
void printHelp(std::ostream& out);
// One command in full.
void printCommandHelp(const CommandHelp& command, std::ostream& out);
// A usage error: the usage of `command` (or, for a name the table does not
// know, where to find the commands) on `err`. Returns 2, the usage status.
int usageError(std::string_view command, std::ostream& err);
// "lumavox-cli 4.0.0.6".
void printVersion(std::ostream& out);

}  // namespace lumavox
