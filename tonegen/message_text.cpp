#include "tonegen/message_text.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <system_error>
#include <utility>

#include "file_system.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace tonegen {
namespace {

constexpr std::size_t kMaxQuotedCharacters = 40;
constexpr std::string_view kNoBreakSpace = "\u00A0";
constexpr std::string_view kReplacementCharacter = "\uFFFD";

struct Utf8Character {
    std::size_t length;  // bytes taken, at least 1
    bool valid;
};

// The well-formed sequences of Unicode's table 3-7: no overlong forms, no
// surrogates, nothing above U+10FFFF.
Utf8Character ReadUtf8Character(std::string_view text) {
    const auto byte = [&text](std::size_t at) {
        return at < text.size() ? static_cast<unsigned char>(text[at]) : 0U;
    };
    const unsigned lead = byte(0);
    if (lead < 0x80U) {
        return {1, true};
    }
    std::size_t length = 0;
    unsigned low = 0x80U;  // the range of the second byte
    unsigned high = 0xBFU;
    if (lead >= 0xC2U && lead <= 0xDFU) {
        length = 2;
    } else if (lead >= 0xE0U && lead <= 0xEFU) {
        length = 3;
        low = lead == 0xE0U ? 0xA0U : 0x80U;
        high = lead == 0xEDU ? 0x9FU : 0xBFU;
    } else if (lead >= 0xF0U && lead <= 0xF4U) {
        length = 4;
        low = lead == 0xF0U ? 0x90U : 0x80U;
        high = lead == 0xF4U ? 0x8FU : 0xBFU;
    } else {
        return {1, false};
    }
    if (byte(1) < low || byte(1) > high) {
        return {1, false};
    }
    for (std::size_t at = 2; at < length; ++at) {
        if ((byte(at) & 0xC0U) != 0x80U) {
            return {1, false};
        }
    }
    return {length, true};
}

// C0 controls, DEL and the C1 controls (U+0080 to U+009F) would break the
// sentence or drive the terminal.
bool IsControl(std::string_view character) {
    const auto lead = static_cast<unsigned char>(character[0]);
    if (character.size() == 1) {
        return lead < 0x20U || lead == 0x7FU;
    }
    return character.size() == 2 && lead == 0xC2U &&
           static_cast<unsigned char>(character[1]) < 0xA0U;
}

// At most maxCharacters characters of text, cleaned; "…" marks a cut.
std::string Clean(std::string_view text, std::size_t maxCharacters) {
    std::string shown;
    std::size_t characters = 0;
    while (!text.empty()) {
        if (characters == maxCharacters) {
            shown += "…";
            break;
        }
        const Utf8Character next = ReadUtf8Character(text);
        const std::string_view character = text.substr(0, next.length);
        if (!next.valid) {
            shown += kReplacementCharacter;
        } else if (IsControl(character)) {
            shown += ' ';
        } else {
            shown += character;
        }
        text.remove_prefix(next.length);
        ++characters;
    }
    return shown;
}

std::string Quote(std::string_view text, std::size_t maxCharacters) {
    return "«" + std::string(kNoBreakSpace) + Clean(text, maxCharacters) +
           std::string(kNoBreakSpace) + "»";
}

// "de écrire" is "d'écrire" in French.
std::string De(std::string_view word) {
    constexpr std::array<std::string_view, 14> kVowels = {"a", "e", "i", "o", "u", "y", "à",
                                                          "â", "é", "è", "ê", "î", "ô", "û"};
    for (const std::string_view vowel : kVowels) {
        if (word.starts_with(vowel)) {
            return "d'" + std::string(word);
        }
    }
    return "de " + std::string(word);
}

constexpr std::string_view kAccessDenied =
    "l'accès est refusé (droits insuffisants sur le fichier ou le dossier)";
constexpr std::string_view kReadOnly = "le support est en lecture seule";
constexpr std::string_view kDiskFull = "le disque est plein";
constexpr std::string_view kQuota = "le quota d'espace disque est dépassé";
constexpr std::string_view kTooLarge = "le fichier dépasse la taille maximale autorisée";
constexpr std::string_view kIsFolder = "c'est un dossier, pas un fichier";
constexpr std::string_view kNoFolder = "le dossier n'existe pas";
constexpr std::string_view kNotFolder = "un élément du chemin n'est pas un dossier";
constexpr std::string_view kPathTooLong = "le chemin est trop long";
constexpr std::string_view kTooManyLinks = "le chemin contient trop de liens symboliques";
constexpr std::string_view kNameTaken = "un autre fichier du même nom vient d'apparaître";
constexpr std::string_view kInUse = "le fichier est en cours d'utilisation";
constexpr std::string_view kTooManyOpen = "trop de fichiers sont déjà ouverts";
constexpr std::string_view kNoMemory = "la mémoire est insuffisante";
constexpr std::string_view kInputOutput = "erreur d'entrée-sortie sur le support";
constexpr std::string_view kReaderGone = "le programme qui lisait la sortie s'est arrêté";
constexpr std::string_view kNoReader = "aucun programme ne lit à l'autre bout";
#if !defined(_WIN32)
constexpr std::string_view kNotOpenForWriting = "la sortie n'est pas ouverte en écriture";
constexpr std::string_view kTryAgain = "le système manque momentanément de ressources";
constexpr std::string_view kInterrupted = "l'opération a été interrompue par un signal";
constexpr std::string_view kRefusedOperation =
    "le fichier ou le périphérique refuse cette opération";
constexpr std::string_view kNoDevice = "le périphérique est absent";
constexpr std::string_view kNotSupported = "le système de fichiers ne permet pas cette opération";
constexpr std::string_view kConnectionReset = "le programme à l'autre bout a coupé la connexion";
constexpr std::string_view kNotAStreamSocket =
    "ce socket n'accepte pas de connexion en flux (socket de datagrammes)";
constexpr std::string_view kTimedOut = "le périphérique ne répond pas (délai dépassé)";
constexpr std::string_view kTooManySubfolders = "le dossier contient trop de sous-dossiers";
#endif

#if defined(_WIN32)
constexpr std::pair<DWORD, std::string_view> kReasons[] = {
    {ERROR_ACCESS_DENIED, kAccessDenied},
    {ERROR_WRITE_PROTECT, kReadOnly},
    {ERROR_DISK_FULL, kDiskFull},
    {ERROR_HANDLE_DISK_FULL, kDiskFull},
#if defined(ERROR_DISK_QUOTA_EXCEEDED)
    {ERROR_DISK_QUOTA_EXCEEDED, kQuota},
#endif
    {ERROR_FILE_TOO_LARGE, kTooLarge},
    {file_system::kErrorIsFolder, kIsFolder},
    {ERROR_PATH_NOT_FOUND, kNoFolder},
    {ERROR_DIRECTORY, kNotFolder},
    {ERROR_FILENAME_EXCED_RANGE, kPathTooLong},
    {ERROR_CANT_RESOLVE_FILENAME, kTooManyLinks},
    {ERROR_FILE_EXISTS, kNameTaken},
    {ERROR_ALREADY_EXISTS, kNameTaken},
    {ERROR_SHARING_VIOLATION, kInUse},
    {ERROR_LOCK_VIOLATION, kInUse},
    {ERROR_TOO_MANY_OPEN_FILES, kTooManyOpen},
    {ERROR_NOT_ENOUGH_MEMORY, kNoMemory},
    {ERROR_OUTOFMEMORY, kNoMemory},
    {ERROR_WRITE_FAULT, kInputOutput},
    {ERROR_IO_DEVICE, kInputOutput},
    {ERROR_CRC, kInputOutput},
    {ERROR_BROKEN_PIPE, kReaderGone},
    {ERROR_NO_DATA, kReaderGone},
    {ERROR_PIPE_NOT_CONNECTED, kNoReader},
};
#else
constexpr std::pair<int, std::string_view> kReasons[] = {
    {EACCES, kAccessDenied},
    {EPERM, kAccessDenied},
    {EROFS, kReadOnly},
    {ENOSPC, kDiskFull},
#if defined(EDQUOT)
    {EDQUOT, kQuota},
#endif
    {EFBIG, kTooLarge},
    {EISDIR, kIsFolder},
    {ENOENT, kNoFolder},
    {ENOTDIR, kNotFolder},
    {ENAMETOOLONG, kPathTooLong},
    {ELOOP, kTooManyLinks},
    {EEXIST, kNameTaken},
    {EBUSY, kInUse},
    {ETXTBSY, kInUse},
    {EMFILE, kTooManyOpen},
    {ENFILE, kTooManyOpen},
    {ENOMEM, kNoMemory},
    {ENOBUFS, kNoMemory},
    {EIO, kInputOutput},
    {EPIPE, kReaderGone},
    {ECONNRESET, kConnectionReset},
    {ECONNREFUSED, kNoReader},
    {EBADF, kNotOpenForWriting},
    {EAGAIN, kTryAgain},
    {EINTR, kInterrupted},
    {EINVAL, kRefusedOperation},
    {ENXIO, kNoDevice},
    {ENODEV, kNoDevice},
    {EOPNOTSUPP, kNotSupported},
    {EPROTOTYPE, kNotAStreamSocket},
    {ETIMEDOUT, kTimedOut},
    {EMLINK, kTooManySubfolders},
};
#endif

}  // namespace

std::string QuoteInput(std::string_view text) {
    return Quote(text, kMaxQuotedCharacters);
}

std::string QuotePath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return Quote({reinterpret_cast<const char*>(utf8.data()), utf8.size()}, std::string::npos);
}

std::size_t Utf8CharacterLength(std::string_view text) {
    return text.empty() ? 0 : ReadUtf8Character(text).length;
}

std::string FileErrorReason(int systemError) {
    for (const auto& [code, reason] : kReasons) {
        if (static_cast<int>(code) == systemError) {
            return std::string(reason);
        }
    }
#if defined(_WIN32)
    const std::error_category& category = std::system_category();
#else
    const std::error_category& category = std::generic_category();
#endif
    // The system's own text may come in a code page other than UTF-8.
    return "erreur système " + std::to_string(systemError) + " (" +
           Clean(category.message(systemError), std::string::npos) + ")";
}

Failure MakeFileFailure(std::string_view action, const std::filesystem::path& path,
                        int systemError) {
    return Failure{FailureKind::File, "Impossible " + De(action) + " " + QuotePath(path) + " : " +
                                          FileErrorReason(systemError) + "."};
}

}  // namespace tonegen
