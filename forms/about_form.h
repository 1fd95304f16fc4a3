// frmAbout, the About window: what the program is for, the DTMF key pairs
// as a picture with the keys laid over it, a credit line and a link to the
// maker's site, on a white face.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "form_units.h"
#include "tonegen/dtmf_keys.h"

namespace forms::about_form {

inline constexpr std::string_view kTitle = "À propos";
inline constexpr int kClientWidth = 5640;
inline constexpr int kClientHeight = 7950;
// Where the client area's top-left corner opens on the screen: not centred.
inline constexpr TwipsPoint kOpenPosition{2340, 1935};

inline constexpr Colour kFace{255, 255, 255};
inline constexpr FontSpec kDefaultFont{825};
inline constexpr FontSpec kBold{825, true};
inline constexpr FontSpec kBoldUnderlined{825, true, true};
inline constexpr FontSpec kTitleFont{1350, true};
inline constexpr FontSpec kStarFont{1200};  // "*" is tiny in the default size

inline constexpr std::string_view kPurposeText =
    "   Ce logiciel permet de créer des fichiers Wav correspondant aux valeurs DTMF normalisées "
    "(Voir ci-dessous) ou...à d'autres valeurs personnalisées.";
inline constexpr std::string_view kCustomPairsText =
    "  En effet, en changeant la valeur du quartz des Circuits décodeurs,-SSI 202, MT 8870 ou "
    "autres- il est possible de modifier la valeur des couples de fréquences pour obtenir ses "
    "propres codes et garantir la confidentialité.";
// Followed by the site's domain name (ReplacedFilesText).
inline constexpr std::string_view kReplacedFilesTextStart =
    "  Les fichiers ainsi créés (fichier Test.wav dans le répertoire du programme) remplaceront "
    "alors les fichiers WAV utilisés par le logiciel de codage: par exemple \"Ardelune\" sur le "
    "site ";
inline constexpr std::string_view kDtmfMeaningText =
    "  \"Dual Tone Modulated Frequencies\" .Ce sont des paires de fréquences utilisées en "
    "téléphonie  pour le contrôle des relais et boÎtes vocales";
inline constexpr std::string_view kSingleToneText =
    "Il est possible de créer une fréquence unique ,1750 Hz par exemple,  en utilisant la même "
    "valeur pour les fréquences 1 et 2. ";

// The controls whose text does not depend on the build's site settings, in
// creation order (later ones lie in front). Label20, Label23 and lblqimbo take
// their texts from ReplacedFilesText(), CreditText() and LinkText().
inline constexpr Control kPicIcon{
    "picIcon", ControlKind::IconBox, {240, 240, 510, 510}, "", kDefaultFont};
inline constexpr Control kLabel1{"Label1",   ControlKind::Label, {1440, 120, 3015, 375},
                                 "Quenbrix", kTitleFont,         TextAlign::Centre};
inline constexpr Control kCmdOK{"cmdOK", ControlKind::Button, {4800, 240, 780, 345},
                                "OK",    kDefaultFont,        TextAlign::Centre};
inline constexpr Control kLabel21{
    "Label21", ControlKind::Label, {1440, 480, 3015, 255}, "Création de doubles tonalités",
    kBold,     TextAlign::Centre};
inline constexpr Control kLabel26{
    "Label26", ControlKind::Label, {120, 960, 5415, 735}, kPurposeText, kBold};
inline constexpr Control kLabel19{
    "Label19", ControlKind::Label, {120, 1560, 5535, 855}, kCustomPairsText, kBold};
inline constexpr Control kLabel20{"Label20", ControlKind::Label, {120, 2400, 5295, 855}, "", kBold};
inline constexpr Control kLabel25{"Label25", ControlKind::Label, {2520, 3240, 855, 255},
                                  "DTMF",    kBoldUnderlined,    TextAlign::Centre};
inline constexpr Control kLabel2{
    "Label2", ControlKind::Label, {120, 3480, 5415, 615}, kDtmfMeaningText, kBold};
inline constexpr Control kImage1{
    "Image1", ControlKind::Picture, {960, 4200, 3750, 1665}, "", kDefaultFont};
inline constexpr Control kLabel27{
    "Label27", ControlKind::Label, {2520, 6000, 735, 255}, "1750 Hz", kBoldUnderlined};
inline constexpr Control kLabel28{
    "Label28", ControlKind::Label, {360, 6240, 5175, 615}, kSingleToneText, kBold};
inline constexpr Control kLabel23{"Label23", ControlKind::Label, {840, 7440, 1575, 255}, "", kBold};
inline constexpr Control kLabel24{
    "Label24", ControlKind::Label, {2760, 7440, 1335, 255}, "Visitez le site ", kBold};
inline constexpr Control kLblqimbo{
    "lblqimbo", ControlKind::Label, {3960, 7440, 1215, 255}, "", kBold};

// Tab visits the button, then the icon box; the labels take no focus.
inline constexpr std::array<const Control*, 2> kTabOrder{&kCmdOK, &kPicIcon};

// The sixteen key labels over the grid picture, in the order of
// tonegen::kDtmfKeys: Label3 for "1" to Label18 for "D".
inline constexpr std::array<std::string_view, 16> kKeyLabelNames{
    "Label3",  "Label4",  "Label5",  "Label6",  "Label7",  "Label8",  "Label9",  "Label10",
    "Label11", "Label12", "Label13", "Label14", "Label15", "Label16", "Label17", "Label18"};
inline constexpr std::array<int, 4> kKeyColumnLefts{1680, 2520, 3240, 3960};
inline constexpr std::array<int, 4> kKeyColumnWidths{735, 615, 615, 615};
// The gaps between the rows are uneven (284, 360, 240); each key still lies in its cell.
inline constexpr std::array<int, 4> kKeyRowTops{4636, 4920, 5280, 5520};
inline constexpr int kKeyHeight = 255;

struct KeyLabel {
    std::string_view name;
    char key;
    TwipsRect place;
    FontSpec font;
};

constexpr KeyLabel KeyLabelAt(std::size_t index) {
    const tonegen::DtmfKey& key = tonegen::kDtmfKeys[index];
    const std::size_t row = tonegen::DtmfRow(key);
    const std::size_t column = tonegen::DtmfColumn(key);
    return {
        kKeyLabelNames[index], key.key,
        TwipsRect{kKeyColumnLefts[column], kKeyRowTops[row], kKeyColumnWidths[column], kKeyHeight},
        key.key == '*' ? kStarFont : kDefaultFont};
}

// The separator above the credit line: a one-pixel grey line over a
// two-pixel white one that vanishes on the white face.
struct Line {
    TwipsPoint from;
    TwipsPoint to;
    Colour colour;
    int pixelWidth;
};
inline constexpr Line kGreyLine{{120, 7005}, {5520, 7005}, {128, 128, 128}, 1};
inline constexpr Line kWhiteLine{{120, 7020}, {5535, 7020}, {255, 255, 255}, 2};

// The link: blue text on pink, green once the pointer has moved over it, pink
// again once it moves over the bare face.
inline constexpr Colour kLinkText{0, 0, 192};
inline constexpr Colour kLinkIdle{255, 192, 192};
inline constexpr Colour kLinkCovered{192, 255, 192};

// The grid picture, in pixels from its top-left corner: empty bevelled cells
// two pixels apart, the frequencies as headers in a black serif face.
namespace grid {
inline constexpr int kWidth = 250;
inline constexpr int kHeight = 111;
inline constexpr Colour kBackground{248, 248, 248};
inline constexpr Colour kBand{210, 208, 201};    // along the left and top edges
inline constexpr Colour kShadow{128, 128, 128};  // along the right and bottom edges
inline constexpr int kBandWidth = 3;
inline constexpr Colour kCellDark{128, 128, 128};   // top and left sides of a cell
inline constexpr Colour kCellLight{200, 200, 200};  // bottom and right sides
inline constexpr int kHeaderPixelSize = 12;

struct Span {  // inclusive
    int first;
    int last;
};
inline constexpr std::array<Span, 4> kColumns{{{49, 96}, {98, 145}, {148, 194}, {197, 244}}};
inline constexpr std::array<Span, 4> kRows{{{25, 43}, {46, 64}, {66, 84}, {87, 105}}};
inline constexpr Span kHeaderColumn{6, 46};
inline constexpr Span kHeaderRow{5, 23};

// Picture pixels [left, left + width) x [top, top + height).
struct PixelRect {
    int left;
    int top;
    int width;
    int height;
    friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A cell's box, its outline included.
constexpr PixelRect Box(Span x, Span y) {
    return {x.first, y.first, x.last - x.first + 1, y.last - y.first + 1};
}

struct Fill {
    PixelRect area;
    Colour colour;
};

// What a front end paints, in this order: the background, the bands, then
// every box's outline (dark along its top and left, light along its bottom
// and right), the eight headers' first, the sixteen empty cells after.
inline constexpr std::size_t kFillCount = 1 + 4 + (8 + 16) * 4;

constexpr std::array<Fill, kFillCount> Fills() {
    std::array<Fill, kFillCount> fills{};
    std::size_t next = 0;
    const auto add = [&fills, &next](PixelRect area, Colour colour) {
        fills[next++] = Fill{area, colour};
    };
    add({0, 0, kWidth, kHeight}, kBackground);
    // Light from the top left: the band there, the shadow along the right
    // and bottom edges.
    add({0, 0, kWidth, kBandWidth}, kBand);
    add({0, 0, kBandWidth, kHeight}, kBand);
    add({kWidth - kBandWidth, kBandWidth, kBandWidth, kHeight - kBandWidth}, kShadow);
    add({kBandWidth, kHeight - kBandWidth, kWidth - kBandWidth, kBandWidth}, kShadow);
    const auto outline = [&add](PixelRect box) {
        add({box.left, box.top, box.width, 1}, kCellDark);
        add({box.left, box.top, 1, box.height}, kCellDark);
        add({box.left + 1, box.top + box.height - 1, box.width - 1, 1}, kCellLight);
        add({box.left + box.width - 1, box.top + 1, 1, box.height - 1}, kCellLight);
    };
    for (const Span& column : kColumns) {
        outline(Box(column, kHeaderRow));
    }
    for (const Span& row : kRows) {
        outline(Box(kHeaderColumn, row));
    }
    for (const Span& row : kRows) {
        for (const Span& column : kColumns) {
            outline(Box(column, row));
        }
    }
    return fills;
}

// A header's text, centred on one line inside its box's outline.
struct HeaderText {
    PixelRect inside;
    std::string text;
};

// The column headers left to right, then the row headers top to bottom.
std::array<HeaderText, 8> Headers();
}  // namespace grid

// Texts that take the build's site address and credit.
std::string ReplacedFilesText();  // kReplacedFilesTextStart, then the site's domain name
std::string LinkText();           // a blank, then the site's host name
std::string CreditText();         // the author's name, a blank and "2006"
std::string_view SiteUrl();
// What the error box says when no browser could be started for the link.
std::string SiteOpenFailureText();

// "1209 Hz": a header of the grid picture.
std::string FrequencyHeader(int hertz);

// What a screen reader says for one key of the grid: "1 : 697 Hz et 1209 Hz".
std::string KeyDescription(const tonegen::DtmfKey& key);

// Every key with its pair, as KeyDescription says it, one key per line.
std::string GridDescription();

// What screen readers call the controls that show no text of their own, and
// the link's action.
inline constexpr std::string_view kIconName = "Icône de Quenbrix";
inline constexpr std::string_view kGridName = "Tableau des paires de fréquences DTMF";
inline constexpr std::string_view kLinkActionName = "Ouvrir";

}  // namespace forms::about_form
