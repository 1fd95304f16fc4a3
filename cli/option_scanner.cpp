#include "option_scanner.h"

#include <utility>

#include "tonegen/message_text.h"

namespace quenbrix_cli {

OptionScanner::OptionScanner(std::span<const std::string_view> args,
                             std::span<const option> longOptions)
    : longOptions_(longOptions) {
    storage_.emplace_back("quenbrix-tone");
    storage_.insert(storage_.end(), args.begin(), args.end());
    for (std::string& arg : storage_) {
        argv_.push_back(arg.data());
    }
    argv_.push_back(nullptr);
}

std::string OptionScanner::LongName(int code) const {
    for (const option& candidate : longOptions_) {
        if (candidate.name != nullptr && candidate.val == code) {
            return "--" + std::string(candidate.name);
        }
    }
    return {};
}

void OptionScanner::RememberValue(int code) {
    if (!values_.emplace(code, optarg).second) {
        Fail("l'option " + tonegen::QuoteInput(LongName(code)) + " est donnée plus d'une fois.");
    }
}

void OptionScanner::Fail(std::string message) {
    if (!error_) {
        error_ = std::move(message);
    }
}

}  // namespace quenbrix_cli
