#include "check_report.h"

#include <array>
#include <charconv>
#include <cstdio>

#include "tonegen/message_text.h"

namespace quenbrix_cli {

namespace {

// A fixed number of decimals, from the shortest correct digits.
std::string Fixed(double value, int decimals) {
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    std::string text(buffer.data(), error == std::errc() ? end : buffer.data());
    // "-0.0" reads as a sign that is not there.
    if (text.find_first_not_of("-0.") == std::string::npos && text.starts_with('-')) {
        text.erase(0, 1);
    }
    return text;
}

std::string Hertz(double hertz) {
    return Fixed(hertz, 1) + " Hz";
}

std::string Utf8Name(const std::filesystem::path& path) {
    const std::u8string name = path.u8string();
    return {name.begin(), name.end()};
}

std::string KeyLine(const tonecheck::FoundKey& key) {
    return "  touche " + std::string(1, key.key) + " : " + Fixed(key.startMs, 0) + " à " +
           Fixed(key.endMs, 0) + " ms, " + Hertz(key.highHertz) + " + " + Hertz(key.lowHertz) +
           " (" + Fixed(key.highLevelDbfs, 1) + " dBFS, " + Fixed(key.lowLevelDbfs, 1) +
           " dBFS), torsion " + Fixed(key.twistDb, 1) + " dB\n";
}

std::string TonesLine(const std::vector<tonecheck::FoundTone>& tones) {
    if (tones.empty()) {
        return "  aucune touche ni tonalité (silence)\n";
    }
    if (tones.size() == 1) {
        return "  aucune touche ; tonalité la plus forte : " + Hertz(tones[0].hertz) + " (" +
               Fixed(tones[0].levelDbfs, 1) + " dBFS)\n";
    }
    return "  aucune touche ; tonalités les plus fortes : " + Hertz(tones[0].hertz) + " + " +
           Hertz(tones[1].hertz) + " (" + Fixed(tones[0].levelDbfs, 1) + " dBFS, " +
           Fixed(tones[1].levelDbfs, 1) + " dBFS)\n";
}

}  // namespace

std::string ShownName(const std::filesystem::path& path) {
    return path == "-" ? std::string("entrée standard") : tonegen::QuotePath(path);
}

bool MeetsExpectation(const CheckedFile& file) {
    return !file.expectedKeys || (file.result && file.result->KeyString() == *file.expectedKeys);
}

std::string TextReport(const CheckedFile& file) {
    const tonecheck::SoundFileFacts& facts = file.facts;
    std::string text = ShownName(file.shown) + " : " + std::to_string(facts.sampleRate) +
                       " Hz, canal " + std::to_string(file.channel) + " sur " +
                       std::to_string(facts.channels) + ", " +
                       Fixed(file.result->durationMs / 1000.0, 3) + " s\n";
    for (const tonecheck::FoundKey& key : file.result->keys) {
        text += KeyLine(key);
    }
    if (file.result->keys.empty()) {
        text += TonesLine(file.result->strongestTones);
    }
    const std::string keys = file.result->KeyString();
    text += "  touches : " + (keys.empty() ? std::string("aucune") : keys) + "\n";
    return text;
}

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    while (!text.empty()) {
        const std::size_t length = tonegen::Utf8CharacterLength(text);
        const auto byte = static_cast<unsigned char>(text[0]);
        if (length == 1 && byte >= 0x80U) {
            json += "\uFFFD";
        } else if (byte == '"' || byte == '\\') {
            json += '\\';
            json += static_cast<char>(byte);
        } else if (byte == '\n') {
            json += "\\n";
        } else if (byte == '\t') {
            json += "\\t";
        } else if (byte < 0x20U) {
            std::array<char, 8> escaped{};
            (void)std::snprintf(escaped.data(), escaped.size(), "\\u%04x", byte);
            json += escaped.data();
        } else {
            json.append(text.substr(0, length));
        }
        text.remove_prefix(length);
    }
    return json + "\"";
}

std::string JsonReport(const CheckedFile& file) {
    std::string json = "{\"file\": " + JsonString(Utf8Name(file.shown));
    if (file.expectedKeys) {
        json += ", \"expected\": " + JsonString(*file.expectedKeys) +
                ", \"matches\": " + (MeetsExpectation(file) ? "true" : "false");
    }
    if (!file.result) {
        return json + ", \"error\": " + JsonString(file.failure.value_or("")) + "}";
    }
    const tonecheck::CheckResult& result = *file.result;
    json += ", \"sample_rate\": " + std::to_string(file.facts.sampleRate) +
            ", \"channels\": " + std::to_string(file.facts.channels) +
            ", \"channel\": " + std::to_string(file.channel) +
            ", \"duration_ms\": " + Fixed(result.durationMs, 1) +
            ", \"key_string\": " + JsonString(result.KeyString()) + ", \"keys\": [";
    const char* separator = "";
    for (const tonecheck::FoundKey& key : result.keys) {
        json += separator;
        json += "{\"key\": " + JsonString(std::string(1, key.key)) +
                ", \"start_ms\": " + Fixed(key.startMs, 1) +
                ", \"end_ms\": " + Fixed(key.endMs, 1) +
                ", \"high_hz\": " + Fixed(key.highHertz, 1) +
                ", \"low_hz\": " + Fixed(key.lowHertz, 1) +
                ", \"high_dbfs\": " + Fixed(key.highLevelDbfs, 1) +
                ", \"low_dbfs\": " + Fixed(key.lowLevelDbfs, 1) +
                ", \"twist_db\": " + Fixed(key.twistDb, 1) + "}";
        separator = ", ";
    }
    json += "], \"strongest_tones\": [";
    separator = "";
    for (const tonecheck::FoundTone& tone : result.strongestTones) {
        json += separator;
        json +=
            "{\"hz\": " + Fixed(tone.hertz, 1) + ", \"dbfs\": " + Fixed(tone.levelDbfs, 1) + "}";
        separator = ", ";
    }
    return json + "]}";
}

}  // namespace quenbrix_cli
