#pragma once
// A command's arguments, read the way GNU tools read theirs: "--name=value"
// or "--name value"; short options alone or together ("-qv", "-oDIR",
// "-qo DIR"); "--" ends the options, so "-leading.bmp" can follow it; and
// "-" alone is an operand (standard input or output). An option that takes
// a value takes the next argument whatever it looks like ("--mode -1").

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kararisu::cli {

struct OptionSpec {
    std::string_view name;  // without the leading "--"
    char letter = 0;        // the short form, 0 for none
    bool takesValue = false;
};

// What every command takes: -h/--help, -q/--quiet, -v/--verbose.
extern const OptionSpec kHelpOption, kQuietOption, kVerboseOption;

struct Argument {
    const OptionSpec* option = nullptr;  // null for an operand
    std::string value;                   // the option's value, or the operand

    bool is(const OptionSpec& spec) const { return option == &spec; }
    bool isOperand() const { return option == nullptr; }
};

struct Arguments {
    std::vector<Argument> items;  // in the order given
    std::string error;            // what is wrong ("unknown option '--x'"), empty when nothing
};

// `options` are the command's own; the common ones are added.
Arguments readArguments(const std::vector<std::string>& args,
                        std::span<const OptionSpec* const> options);

}  // namespace kararisu::cli
