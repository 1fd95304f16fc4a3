#include "about_form.h"

#include "site_config.h"

namespace forms::about_form {

std::string ReplacedFilesText() {
    return std::string(kReplacedFilesTextStart) + site::kDomain;
}

std::string LinkText() {
    return std::string(" ") + site::kHost;
}

std::string CreditText() {
    return std::string(site::kAuthor) + " 2006";
}

std::string_view SiteUrl() {
    return site::kUrl;
}

std::string SiteOpenFailureText() {
    return std::string("Impossible d'ouvrir l'adresse ") + site::kUrl +
           " : aucun navigateur n'a pu être lancé.";
}

std::string FrequencyHeader(int hertz) {
    return std::to_string(hertz) + " Hz";
}

std::array<grid::HeaderText, 8> grid::Headers() {
    const auto inside = [](Span x, Span y) {
        const PixelRect box = Box(x, y);
        return PixelRect{box.left + 1, box.top + 1, box.width - 2, box.height - 2};
    };
    std::array<HeaderText, 8> headers;
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        headers[i] = {inside(kColumns[i], kHeaderRow),
                      FrequencyHeader(tonegen::kDtmfColumnFrequencies[i])};
    }
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        headers[kColumns.size() + i] = {inside(kHeaderColumn, kRows[i]),
                                        FrequencyHeader(tonegen::kDtmfRowFrequencies[i])};
    }
    return headers;
}

std::string KeyDescription(const tonegen::DtmfKey& key) {
    return std::string(1, key.key) + " : " + FrequencyHeader(key.lowHertz) + " et " +
           FrequencyHeader(key.highHertz);
}

std::string GridDescription() {
    std::string text;
    for (const tonegen::DtmfKey& key : tonegen::kDtmfKeys) {
        if (!text.empty()) {
            text += '\n';
        }
        text += KeyDescription(key);
    }
    return text;
}

}  // namespace forms::about_form
