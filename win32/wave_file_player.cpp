#include "wave_file_player.h"

#include <windows.h>
// After windows.h, which they need.
#include <mmsystem.h>

#include <string>
#include <string_view>

namespace win32 {
namespace {

constexpr std::wstring_view kLocalPrefix = L"\\\\?\\";
constexpr std::wstring_view kNetworkPrefix = L"\\\\?\\UNC\\";

// The player takes at most MAX_PATH characters, and some players take the
// name through the ANSI code page (Wine's does, and then plays nothing for
// "Dossier 日本").
bool PlayerTakes(const std::wstring& name) {
    if (name.size() >= MAX_PATH) {
        return false;
    }
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, nullptr, 0, nullptr,
                        &lossy);
    return lossy == FALSE;
}

// Beyond MAX_PATH the system finds a file only under the "\\?\" form.
std::wstring Unlimited(const std::wstring& name) {
    if (name.starts_with(kLocalPrefix)) {
        return name;
    }
    if (name.starts_with(L"\\\\")) {
        return std::wstring(kNetworkPrefix) + name.substr(2);
    }
    return std::wstring(kLocalPrefix) + name;
}

std::wstring Limited(const std::wstring& name) {
    if (name.starts_with(kNetworkPrefix)) {
        return L"\\\\" + name.substr(kNetworkPrefix.size());
    }
    if (name.starts_with(kLocalPrefix)) {
        return name.substr(kLocalPrefix.size());
    }
    return name;
}

}  // namespace

std::optional<std::wstring> PlayableName(const std::filesystem::path& file) {
    const std::wstring& name = file.native();
    if (PlayerTakes(name)) {
        return name;  // a missing file then gives the default sound
    }
    // The short form names the same file in plain ASCII, each folder in at
    // most 12 characters; where the volume keeps no short names the long
    // form comes back, which the player does not take either.
    const std::wstring unlimited = Unlimited(name);
    std::wstring shortName(GetShortPathNameW(unlimited.c_str(), nullptr, 0), L'\0');
    const DWORD length = GetShortPathNameW(unlimited.c_str(), shortName.data(),
                                           static_cast<DWORD>(shortName.size()));
    if (length == 0 || length >= shortName.size()) {
        return std::nullopt;
    }
    shortName.resize(length);
    shortName = Limited(shortName);
    if (!PlayerTakes(shortName)) {
        return std::nullopt;
    }
    return shortName;
}

bool WaveFilePlayer::Play(const std::filesystem::path& file) {
    const std::optional<std::wstring> name = PlayableName(file);
    if (!name) {
        return false;
    }
    // Without SND_NODEFAULT a missing or unplayable file gives the default
    // sound; without SND_NOSTOP a new sound replaces the one still playing.
    PlaySoundW(name->c_str(), nullptr, SND_ASYNC | SND_FILENAME);
    return true;
}

void WaveFilePlayer::Stop() {
    // The player keeps the file it plays open, which would keep "Créer" from
    // deleting it.
    PlaySoundW(nullptr, nullptr, 0);
}

}  // namespace win32
