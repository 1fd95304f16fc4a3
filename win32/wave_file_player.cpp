#include "wave_file_player.h"

#include <windows.h>
// After windows.h, which they need.
#include <mmsystem.h>

#include <string>

namespace win32 {
namespace {

// Some players take the name through the ANSI code page (Wine's does, and
// then plays nothing for "Dossier 日本"). A name that does not survive that
// goes as its short form, which names the same file in plain ASCII; where
// the volume keeps no short names the long one comes back unchanged.
std::wstring PlayableName(const std::filesystem::path& file) {
    const std::wstring& name = file.native();
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, nullptr, 0, nullptr,
                        &lossy);
    if (lossy == FALSE) {
        return name;
    }
    std::wstring shortName(GetShortPathNameW(name.c_str(), nullptr, 0), L'\0');
    const DWORD length =
        GetShortPathNameW(name.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
    if (length == 0 || length >= shortName.size()) {
        return name;  // no such file: the default sound, whatever the name
    }
    shortName.resize(length);
    return shortName;
}

}  // namespace

void WaveFilePlayer::Play(const std::filesystem::path& file) {
    // Without SND_NODEFAULT a missing or unplayable file gives the default
    // sound; without SND_NOSTOP a new sound replaces the one still playing.
    const std::wstring name = PlayableName(file);
    PlaySoundW(name.c_str(), nullptr, SND_ASYNC | SND_FILENAME);
}

void WaveFilePlayer::Stop() {
    // The player keeps the file it plays open, which would keep "Créer" from
    // deleting it.
    PlaySoundW(nullptr, nullptr, 0);
}

}  // namespace win32
