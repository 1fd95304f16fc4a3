#include "program_directory.h"

#include <QCoreApplication>
#include <QFile>
#include <system_error>

std::filesystem::path programDirectory(const std::filesystem::path& executableLink) {
    std::error_code failure;
    const std::filesystem::path executable = std::filesystem::read_symlink(executableLink, failure);
    if (!failure && executable.is_absolute()) {
        return executable.parent_path();
    }
    // Without /proc, Qt's own answer, which holds for folders named in the
    // user's encoding.
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}
