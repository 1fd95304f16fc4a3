#include "message_text.h"

#include <cerrno>
#include <system_error>

namespace tonegen {
namespace {

constexpr std::size_t kMaxQuotedCodePoints = 40;
constexpr std::string_view kNoBreakSpace = "\u00A0";

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0U) == 0x80U;
}

std::string Quote(std::string_view text, std::size_t maxCodePoints) {
    std::string shown;
    std::size_t codePoints = 0;
    std::size_t pos = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsUtf8Continuation(text[pos])) {
            if (codePoints == maxCodePoints) {
                break;
            }
            ++codePoints;
        }
        // Line breaks and other control characters would break the sentence.
        const auto byte = static_cast<unsigned char>(text[pos]);
        shown += byte < 0x20U || byte == 0x7FU ? ' ' : text[pos];
    }
    if (pos < text.size()) {
        shown += "…";
    }
    return "«" + std::string(kNoBreakSpace) + shown + std::string(kNoBreakSpace) + "»";
}

}  // namespace

std::string QuoteInput(std::string_view text) {
    return Quote(text, kMaxQuotedCodePoints);
}

std::string QuotePath(const std::filesystem::path& path) {
    return Quote(path.native(), std::string::npos);
}

std::string GroupDigits(std::int64_t value) {
    const bool negative = value < 0;
    // Through unsigned so that the most negative value has a magnitude too.
    std::uint64_t magnitude =
        negative ? 0U - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::string digits;
    int inGroup = 0;
    do {
        if (inGroup == 3) {
            digits.insert(0, kNoBreakSpace);
            inGroup = 0;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10U));
        magnitude /= 10U;
        ++inGroup;
    } while (magnitude != 0U);
    return negative ? "-" + digits : digits;
}

std::string FileErrorReason(int errorNumber) {
    switch (errorNumber) {
        case EACCES:
        case EPERM:
            return "l'accès est refusé (droits insuffisants sur le fichier ou le dossier)";
        case EROFS:
            return "le support est en lecture seule";
        case ENOSPC:
            return "le disque est plein";
        case EDQUOT:
            return "le quota d'espace disque est dépassé";
        case EFBIG:
            return "le fichier dépasse la taille maximale autorisée";
        case EISDIR:
            return "c'est un dossier, pas un fichier";
        case ENOENT:
            return "le dossier n'existe pas";
        case ENOTDIR:
            return "un élément du chemin n'est pas un dossier";
        case ENAMETOOLONG:
            return "le chemin est trop long";
        case ELOOP:
            return "le chemin contient trop de liens symboliques";
        case EEXIST:
            return "un autre fichier du même nom vient d'apparaître";
        case EBUSY:
        case ETXTBSY:
            return "le fichier est en cours d'utilisation";
        case EMFILE:
        case ENFILE:
            return "trop de fichiers sont déjà ouverts";
        case ENOMEM:
            return "la mémoire est insuffisante";
        case EIO:
            return "erreur d'entrée-sortie sur le support";
        default:
            break;
    }
    return "erreur système " + std::to_string(errorNumber) + " (" +
           std::error_code(errorNumber, std::generic_category()).message() + ")";
}

Failure MakeFileFailure(std::string_view action, const std::filesystem::path& path,
                        int errorNumber) {
    return Failure{FailureKind::File, "Impossible de " + std::string(action) + " " +
                                          QuotePath(path) + " : " + FileErrorReason(errorNumber) +
                                          "."};
}

}  // namespace tonegen
