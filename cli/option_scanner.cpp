#include "option_scanner.h"

#include <utility>

namespace quenbrix_cli {

OptionScanner::OptionScanner(std::span<const std::string_view> args) {
    storage_.emplace_back("quenbrix-tone");
    storage_.insert(storage_.end(), args.begin(), args.end());
    for (std::string& arg : storage_) {
        argv_.push_back(arg.data());
    }
    argv_.push_back(nullptr);
}

void OptionScanner::Fail(std::string message) {
    if (!error_) {
        error_ = std::move(message);
    }
}

}  // namespace quenbrix_cli
