// Form1, the window the program opens with: two frequency boxes, a duration
// box, the volume scroll bar and three buttons, on a light grey face.
#pragma once

#include <array>
#include <string_view>

#include "form_units.h"
#include "tonegen/tone_file.h"

namespace forms::main_form {

// 39 blanks, then the name: the title sits towards the middle of the bar.
inline constexpr std::string_view kTitle = "                                       Quenbrix";
inline constexpr int kClientWidth = 5025;
inline constexpr int kClientHeight = 3180;

inline constexpr Colour kFace{224, 224, 224};
inline constexpr Colour kBoxBackground{255, 255, 192};

inline constexpr FontSpec kBold{825, true};
inline constexpr FontSpec kBoldLarge{1200, true};

inline constexpr Control kCmdAide{"CmdAide", ControlKind::Button, {120, 120, 1095, 300}, "A propos",
                                  kBold,     TextAlign::Centre};
inline constexpr Control kTxtFreq1{"TxtFreq1", ControlKind::TextBox, {1080, 600, 855, 405},
                                   "1209",     kBoldLarge,           TextAlign::Centre};
inline constexpr Control kTxtFreq2{"TxtFreq2", ControlKind::TextBox, {3000, 600, 855, 405},
                                   "697",      kBoldLarge,           TextAlign::Centre};
inline constexpr Control kLabel1{
    "Label1", ControlKind::Label, {840, 1080, 1575, 255}, "Fréquence 1  (Hz)",
    kBold,    TextAlign::Left};
inline constexpr Control kLabel2{
    "Label2", ControlKind::Label, {2760, 1080, 1575, 255}, "Fréquence 2 (Hz)",
    kBold,    TextAlign::Left};
inline constexpr Control kText5{"Text5", ControlKind::TextBox, {3960, 1635, 375, 285}, "1",
                                kBold,   TextAlign::Centre};
inline constexpr Control kLabel5{
    "Label5", ControlKind::Label, {2640, 1665, 1215, 255}, "Durée (Sec):", kBold, TextAlign::Right};
inline constexpr Control kVolumescroll{
    "Volumescroll", ControlKind::ScrollBar, {600, 1680, 1575, 135}, "", kBold, TextAlign::Left};
inline constexpr Control kLabel6{
    "Label6", ControlKind::Label, {600, 1920, 1575, 255}, "-    Volume    +",
    kBold,    TextAlign::Centre};
inline constexpr Control kCommand1{"Command1", ControlKind::Button, {840, 2400, 1215, 375}, "Créer",
                                   kBold,      TextAlign::Centre};
inline constexpr Control kCmdrejoue{
    "cmdrejoue", ControlKind::Button, {2900, 2400, 1095, 375}, "Rejouer", kBold, TextAlign::Centre};

// Creation order; none of them overlaps another.
inline constexpr std::array<const Control*, 11> kControls{
    &kCmdAide, &kTxtFreq1,     &kTxtFreq2, &kLabel1,   &kLabel2,   &kText5,
    &kLabel5,  &kVolumescroll, &kLabel6,   &kCommand1, &kCmdrejoue};

// The order Tab visits the controls that take the focus, from the one that
// has it at start; it follows no reading order, and wraps round.
inline constexpr std::array<const Control*, 7> kTabOrder{
    &kCommand1, &kTxtFreq1, &kText5, &kCmdrejoue, &kVolumescroll, &kTxtFreq2, &kCmdAide};

// What screen readers call the boxes and the bar, whose captions are
// separate labels.
inline constexpr std::string_view kFrequency1Name = "Fréquence 1 (Hz)";
inline constexpr std::string_view kFrequency2Name = "Fréquence 2 (Hz)";
inline constexpr std::string_view kDurationName = "Durée (secondes)";
inline constexpr std::string_view kVolumeName = "Volume";
// The action screen readers offer on every push button of both windows.
inline constexpr std::string_view kPressActionName = "Appuyer";

// The scroll bar is the amplitude of the tone: a signed 16-bit value that
// starts high enough for "Créer" at start to be heard, moved one unit at a
// time by its arrows and its track.
inline constexpr int kVolumeLowest = tonegen::kLowestAmplitude;
inline constexpr int kVolumeHighest = tonegen::kHighestAmplitude;
inline constexpr int kVolumeStart = tonegen::kDefaultAmplitude;
inline constexpr int kVolumeSmallStep = 1;
inline constexpr int kVolumeLargeStep = 1;

// The three boxes take a typed character only if it is one of these; every
// other one, control characters such as Backspace (8) and Ctrl+V (22)
// included, is dropped before the box sees it.
inline constexpr std::string_view kAcceptedCharacters = "0123456789";

constexpr bool IsAcceptedCharacter(char32_t typed) {
    for (const char accepted : kAcceptedCharacters) {
        if (typed == static_cast<char32_t>(accepted)) {
            return true;
        }
    }
    return false;
}

}  // namespace forms::main_form
