#include "tonegen/failure.h"

namespace tonegen {

std::string_view KindName(FailureKind kind) {
    switch (kind) {
        case FailureKind::TypeMismatch:
            return "Incompatibilité de type";
        case FailureKind::Overflow:
            return "Dépassement de capacité";
        case FailureKind::FloatingPoint:
            return "Erreur de calcul en virgule flottante";
        case FailureKind::File:
            return "Erreur de fichier";
    }
    return "Erreur";
}

}  // namespace tonegen
