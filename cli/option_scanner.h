// What both of quenbrix-tone's option readers share: the arguments held as
// the C array getopt_long wants, with the program's name in front, a fresh
// scan each time, and the first usage error kept (later ones are its echoes).
#pragma once

#include <getopt.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quenbrix_cli {

class OptionScanner {
  public:
    // args excludes the program name.
    explicit OptionScanner(std::span<const std::string_view> args);

  protected:
    // Calls take with every option code getopt_long answers, from the first
    // argument on; afterwards optind is the first argument that is no option.
    template <typename Take>
    void ScanOptions(const char* shortOptions, const option* longOptions, Take take) {
        // getopt_long keeps its state in globals: 0 starts a fresh scan.
        optind = 0;
        opterr = 0;
        for (int code = 0; (code = getopt_long(ArgumentCount(), argv_.data(), shortOptions,
                                               longOptions, nullptr)) != -1;) {
            take(code);
        }
    }

    // The program's name is argument 0. Read after a scan, the arguments are
    // in getopt_long's order: it moves the operands behind the options.
    [[nodiscard]] int ArgumentCount() const { return static_cast<int>(storage_.size()); }
    [[nodiscard]] std::string_view Argument(int index) const {
        return argv_[static_cast<std::size_t>(index)];
    }

    void Fail(std::string message);
    [[nodiscard]] const std::optional<std::string>& FirstError() const { return error_; }

  private:
    std::vector<std::string> storage_;
    std::vector<char*> argv_;
    std::optional<std::string> error_;
};

}  // namespace quenbrix_cli
