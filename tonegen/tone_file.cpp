// PLACEHOLDER: the core helper replaces this file.
#include "tone_file.h"

namespace tonegen {
std::string_view KindName(FailureKind) { return "Erreur"; }
std::filesystem::path ToneFilePath(const std::filesystem::path& programDirectory) {
    return std::filesystem::path(programDirectory.native() + "/" + std::string(kToneFileName));
}
RunResult CreateToneFile(const std::filesystem::path&, std::string_view, std::string_view,
                         std::string_view, std::int16_t, const std::function<void()>&) {
    return Failure{FailureKind::File, "not built yet"};
}
}  // namespace tonegen
