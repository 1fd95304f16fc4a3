// How a tone file run fails, as it leaves the core: a kind and a French
// sentence for the user.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tonegen {

enum class FailureKind {
    TypeMismatch,   // a text is not a number
    Overflow,       // a value does not fit its integer width or the double range
    FloatingPoint,  // a sample computation gave an infinite or invalid value
    File,           // the file system refused to delete, create or write
};

struct Failure {
    FailureKind kind;
    std::string description;  // UTF-8
};

// Empty on success.
using RunResult = std::optional<Failure>;

// The French name of a failure kind ("Dépassement de capacité", ...).
std::string_view KindName(FailureKind kind);

}  // namespace tonegen
