#include "check_command.h"

#include <cstdio>
#include <string>

#include "check_report.h"
#include "output_target.h"
#include "tone_command.h"
#include "tonecheck/dtmf_check.h"
#include "tonecheck/sound_file_source.h"
#include "tonegen/message_text.h"

namespace quenbrix_cli {

namespace {

void PrintError(const std::string& text) {
    (void)std::fputs(text.c_str(), stderr);
    (void)std::fflush(stderr);
}

CheckedFile CheckOne(const std::filesystem::path& path, const CheckRequest& request) {
    CheckedFile checked;
    checked.shown = path;
    checked.channel = request.channel;
    checked.expectedKeys = request.expectedKeys;
    auto opened = path == "-" ? tonecheck::SoundFileSource::OpenStandardInput(request.channel)
                              : tonecheck::SoundFileSource::Open(path, request.channel);
    if (auto* failure = std::get_if<tonegen::Failure>(&opened)) {
        checked.failure = failure->description;
        return checked;
    }
    auto& source = *std::get<std::unique_ptr<tonecheck::SoundFileSource>>(opened);
    checked.facts = source.Facts();
    const tonecheck::CheckSettings settings{request.minLevelDbfs, request.maxTwistNormalDb,
                                            request.maxTwistReverseDb};
    auto checkedSound = tonecheck::CheckSource(source, settings);
    if (auto* failure = std::get_if<tonegen::Failure>(&checkedSound)) {
        checked.failure = failure->description;
    } else {
        checked.result = std::move(std::get<tonecheck::CheckResult>(checkedSound));
    }
    return checked;
}

}  // namespace

int RunCheck(const CheckRequest& request) {
    int status = kExitSuccess;
    bool outputFailed = false;
    const auto print = [&outputFailed](const std::string& text) {
        outputFailed = outputFailed || std::fputs(text.c_str(), stdout) < 0;
    };
    if (request.json) {
        print("[\n");
    }
    for (std::size_t i = 0; i < request.files.size(); ++i) {
        const CheckedFile checked = CheckOne(request.files[i], request);
        if (request.json) {
            print((i > 0 ? ",\n  " : "  ") + JsonReport(checked));
        } else if (checked.result) {
            print(TextReport(checked));
        }
        if (checked.failure) {
            PrintError("quenbrix-tone : " + *checked.failure + "\n");
            status = kExitRunFailure;
        } else if (!MeetsExpectation(checked)) {
            const std::string found = checked.result->KeyString();
            std::size_t same = 0;
            while (same < found.size() && same < checked.expectedKeys->size() &&
                   found[same] == (*checked.expectedKeys)[same]) {
                ++same;
            }
            PrintError("quenbrix-tone : " + ShownName(checked.shown) + " : touches trouvées " +
                       tonegen::QuoteInput(found) + ", attendues " +
                       tonegen::QuoteInput(*checked.expectedKeys) +
                       " ; elles diffèrent dès la touche " + std::to_string(same + 1) + ".\n");
            status = kExitRunFailure;
        }
        (void)std::fflush(stdout);
    }
    if (request.json) {
        print("\n]\n");
    }
    if (outputFailed || std::fflush(stdout) != 0) {
        PrintError("quenbrix-tone : impossible d'écrire sur la sortie standard : " +
                   tonegen::FileErrorReason(OutputTarget::StandardOutputError()) + ".\n");
        return kExitRunFailure;
    }
    return status;
}

}  // namespace quenbrix_cli
