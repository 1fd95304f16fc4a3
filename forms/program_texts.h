// Texts that belong to the whole program rather than to one window: the
// error box's title and the starts of the messages for failures nobody
// expected.
#pragma once

#include <string_view>

namespace forms::program_texts {

// The error box's title, for every failure the program reports.
inline constexpr std::string_view kErrorTitle = "Erreur";
// Before the description of a failure that "Créer" met outside the run.
inline constexpr std::string_view kUnexpectedFailureStart = "Erreur inattendue : ";
// Before the description of a failure in any other handler; the program
// then ends.
inline constexpr std::string_view kFatalFailureStart =
    "Quenbrix doit s'arrêter après une erreur inattendue :\n";

}  // namespace forms::program_texts
