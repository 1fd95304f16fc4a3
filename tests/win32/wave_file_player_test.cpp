// The name the system's player is given for a file: the path itself while
// the player takes it, its short form for a path longer than MAX_PATH, and
// nothing when no name will do.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "wave_file_player.h"

namespace {

std::wstring TemporaryFolder() {
    std::wstring folder(MAX_PATH + 1, L'\0');
    folder.resize(GetTempPathW(static_cast<DWORD>(folder.size()), folder.data()));
    return folder;
}

// A file's bytes read through a name the way the player opens it (no "\\?\").
std::string ReadThrough(const std::wstring& name) {
    HANDLE file = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string bytes(64, '\0');
    DWORD read = 0;
    ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

TEST(PlayableNameTest, APathBeyondMaxPathGoesAsItsShortFormNothingWhenThereIsNone) {
    const std::wstring top = TemporaryFolder() + L"Quenbrix chemin long";
    std::vector<std::wstring> folders{top};
    while (folders.back().size() < MAX_PATH + 40) {
        folders.push_back(folders.back() + L"\\Un dossier au nom assez long " +
                          std::to_wstring(folders.size()));
    }
    for (const std::wstring& folder : folders) {
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr) != 0 ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
    }
    const std::wstring wave = folders.back() + L"\\test.wav";
    const std::string bytes = "RIFF du fichier au bout du long chemin";
    HANDLE file = CreateFileW((L"\\\\?\\" + wave).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);

    const auto name = win32::PlayableName(wave);
    ASSERT_TRUE(name.has_value());
    EXPECT_LT(name->size(), MAX_PATH);
    EXPECT_EQ(ReadThrough(*name), bytes);
    // A long path to no file has no short form: the window says so.
    EXPECT_FALSE(win32::PlayableName(folders.back() + L"\\absent.wav").has_value());
    // A path the player takes goes as it is, a missing file too (the
    // default sound then plays).
    const std::wstring plain = top + L"\\test.wav";
    EXPECT_EQ(win32::PlayableName(plain), plain);

    DeleteFileW((L"\\\\?\\" + wave).c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
        RemoveDirectoryW((L"\\\\?\\" + *folder).c_str());
    }
}

}  // namespace
