#include "cli/arguments.h"

namespace kararisu::cli {

const OptionSpec kHelpOption{"help", 'h'};
const OptionSpec kQuietOption{"quiet", 'q'};
const OptionSpec kVerboseOption{"verbose", 'v'};

namespace {

class Reader {
  public:
    Reader(const std::vector<std::string>& args, std::span<const OptionSpec* const> options)
        : args_(args), options_(options) {}

    Arguments read() {
        bool optionsEnded = false;
        for (i_ = 0; i_ < args_.size() && out_.error.empty(); ++i_) {
            const std::string& a = args_[i_];
            if (optionsEnded || a == "-" || a.empty() || a[0] != '-') {
                out_.items.push_back({nullptr, a});
            } else if (a == "--") {
                optionsEnded = true;
            } else if (a[1] == '-') {
                longOption(std::string_view(a).substr(2));
            } else {
                shortOptions(std::string_view(a).substr(1));
            }
        }
        return std::move(out_);
    }

  private:
    const OptionSpec* find(auto matches) const {
        for (const OptionSpec* common : {&kHelpOption, &kQuietOption, &kVerboseOption})
            if (matches(*common)) return common;
        for (const OptionSpec* o : options_)
            if (matches(*o)) return o;
        return nullptr;
    }

    void longOption(std::string_view text) {
        const std::size_t eq = text.find('=');
        const std::string_view name = text.substr(0, eq);
        const OptionSpec* o = find([&](const OptionSpec& s) { return s.name == name; });
        if (!o) return fail("unknown option '--" + std::string(name) + "'");
        if (eq != std::string_view::npos) {
            if (!o->takesValue) return fail("--" + std::string(name) + " takes no value");
            out_.items.push_back({o, std::string(text.substr(eq + 1))});
        } else if (o->takesValue) {
            takeNext(*o, "--" + std::string(name));
        } else {
            out_.items.push_back({o, {}});
        }
    }

    void shortOptions(std::string_view letters) {
        for (std::size_t k = 0; k < letters.size(); ++k) {
            const char c = letters[k];
            const OptionSpec* o = find([&](const OptionSpec& s) { return s.letter == c; });
            if (!o) return fail("unknown option '-" + std::string(1, c) + "'");
            if (!o->takesValue) {
                out_.items.push_back({o, {}});
            } else if (k + 1 < letters.size()) {
                out_.items.push_back({o, std::string(letters.substr(k + 1))});  // "-oDIR"
                return;
            } else {
                return takeNext(*o, "-" + std::string(1, c));
            }
        }
    }

    void takeNext(const OptionSpec& o, const std::string& shown) {
        if (i_ + 1 >= args_.size()) return fail(shown + " needs a value");
        out_.items.push_back({&o, args_[++i_]});
    }

    void fail(std::string why) { out_.error = std::move(why); }

    const std::vector<std::string>& args_;
    std::span<const OptionSpec* const> options_;
    std::size_t i_ = 0;
    Arguments out_;
};

}  // namespace

Arguments readArguments(const std::vector<std::string>& args,
                        std::span<const OptionSpec* const> options) {
    return Reader(args, options).read();
}

}  // namespace kararisu::cli
