// What both of quenbrix-tone's option readers share: the arguments held as
// the C array getopt_long wants, with the program's name in front, a fresh
// scan each time, the values given once each, the options' names for the
// messages, and the first usage error kept (later ones are its echoes).
#pragma once

#include <getopt.h>

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quenbrix_cli {

class OptionScanner {
  public:
    // args excludes the program name; longOptions is getopt_long's table,
    // ending with its empty entry.
    OptionScanner(std::span<const std::string_view> args, std::span<const option> longOptions);

  protected:
    // Calls take with every option code getopt_long answers, from the first
    // argument on; afterwards optind is the first argument that is no option.
    template <typename Take>
    void ScanOptions(const char* shortOptions, Take take) {
        // getopt_long keeps its state in globals: 0 starts a fresh scan.
        optind = 0;
        opterr = 0;
        for (int code = 0; (code = getopt_long(ArgumentCount(), argv_.data(), shortOptions,
                                               longOptions_.data(), nullptr)) != -1;) {
            take(code);
        }
    }

    // The program's name is argument 0. Read after a scan, the arguments are
    // in getopt_long's order: it moves the operands behind the options.
    [[nodiscard]] int ArgumentCount() const { return static_cast<int>(storage_.size()); }
    [[nodiscard]] std::string_view Argument(int index) const {
        return argv_[static_cast<std::size_t>(index)];
    }

    // "--name" of an option's code, as the messages show it.
    [[nodiscard]] std::string LongName(int code) const;

    // Keeps the value of an option that takes one (getopt_long's optarg);
    // the same option given twice is a usage error.
    void RememberValue(int code);
    [[nodiscard]] bool Has(int code) const { return values_.contains(code); }
    // The value of an option known to be there.
    [[nodiscard]] const std::string& Text(int code) const { return values_.at(code); }

    void Fail(std::string message);
    [[nodiscard]] const std::optional<std::string>& FirstError() const { return error_; }

  private:
    std::vector<std::string> storage_;
    std::vector<char*> argv_;
    std::span<const option> longOptions_;
    std::map<int, std::string> values_;
    std::optional<std::string> error_;
};

}  // namespace quenbrix_cli
