#include "program_directory.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace win32 {

std::filesystem::path ProgramDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            throw std::runtime_error("le dossier du programme est introuvable");
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // cut short: a long path
    }
    return std::filesystem::path(path).parent_path();
}

}  // namespace win32
