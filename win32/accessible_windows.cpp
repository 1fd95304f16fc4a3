#include "accessible_windows.h"

#include <string_view>
#include <utility>

#include "about_form.h"
#include "about_window.h"
#include "accessible_control.h"
#include "main_form.h"
#include "main_window.h"
#include "tonegen/dtmf_keys.h"
#include "wide_text.h"

namespace win32 {
namespace {

namespace about = forms::about_form;
namespace grid = forms::about_form::grid;
namespace main_form = forms::main_form;

// Blanks that lay a text out (the title's run, a paragraph's indent) are
// not read.
std::wstring Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return Wide(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::function<RECT(const DpiScale&)> PlaceOf(const forms::TwipsRect& place) {
    return [place](const DpiScale& scale) { return scale.Rect(place); };
}

AccessibleElement Label(const forms::Control& control, std::string_view text) {
    AccessibleElement label;
    label.name = Trimmed(text);
    label.place = PlaceOf(control.place);
    return label;
}

AccessibleElement Label(const forms::Control& control) {
    return Label(control, control.text);
}

AccessibleElement ChildWindow(HWND window) {
    AccessibleElement child;
    child.window = window;
    return child;
}

// A cell of the table: picture pixels, inclusive, from the picture's corner.
AccessibleElement GridCell(long role, std::string_view name, grid::Span x, grid::Span y) {
    AccessibleElement cell;
    cell.role = role;
    cell.name = Wide(name);
    cell.place = [x, y](const DpiScale& scale) {
        const RECT picture = scale.Rect(about::kImage1.place);
        return RECT{picture.left + scale.FromStandardPixels(x.first),
                    picture.top + scale.FromStandardPixels(y.first),
                    picture.left + scale.FromStandardPixels(x.last + 1),
                    picture.top + scale.FromStandardPixels(y.last + 1)};
    };
    return cell;
}

// The table in reading order: the column headers, then row by row its
// header and its four keys.
AccessibleElement DtmfTable() {
    AccessibleElement table;
    table.role = ROLE_SYSTEM_TABLE;
    table.name = Wide(about::kGridName);
    table.description = Wide(about::GridDescription());
    table.place = PlaceOf(about::kImage1.place);
    for (std::size_t column = 0; column < grid::kColumns.size(); ++column) {
        table.elements.push_back(
            GridCell(ROLE_SYSTEM_COLUMNHEADER,
                     about::FrequencyHeader(tonegen::kDtmfColumnFrequencies[column]),
                     grid::kColumns[column], grid::kHeaderRow));
    }
    for (std::size_t row = 0; row < grid::kRows.size(); ++row) {
        table.elements.push_back(GridCell(ROLE_SYSTEM_ROWHEADER,
                                          about::FrequencyHeader(tonegen::kDtmfRowFrequencies[row]),
                                          grid::kHeaderColumn, grid::kRows[row]));
        for (std::size_t column = 0; column < grid::kColumns.size(); ++column) {
            for (const tonegen::DtmfKey& key : tonegen::kDtmfKeys) {
                if (tonegen::DtmfRow(key) == row && tonegen::DtmfColumn(key) == column) {
                    AccessibleElement cell = GridCell(ROLE_SYSTEM_CELL, about::KeyDescription(key),
                                                      grid::kColumns[column], grid::kRows[row]);
                    cell.value = std::wstring(1, static_cast<wchar_t>(key.key));
                    table.elements.push_back(std::move(cell));
                }
            }
        }
    }
    return table;
}

AccessibleElement Link() {
    AccessibleElement link = Label(about::kLblqimbo, about::LinkText());
    link.role = ROLE_SYSTEM_LINK;
    link.state = STATE_SYSTEM_LINKED;
    // Named as it reads; where it leads is its value, as for any link.
    link.value = Wide(about::SiteUrl());
    link.description = link.value;
    link.defaultAction = Wide(about::kLinkActionName);
    return link;
}

}  // namespace

void AttachAccessibleControls(const MainWindow& window) {
    const std::pair<const forms::Control*, std::string_view> boxes[] = {
        {&main_form::kTxtFreq1, main_form::kFrequency1Name},
        {&main_form::kTxtFreq2, main_form::kFrequency2Name},
        {&main_form::kText5, main_form::kDurationName}};
    for (const auto& [box, name] : boxes) {
        AccessibleControl::Attach(window.ControlHandle(*box), AccessibleKind::TextBox, Wide(name));
    }
    AccessibleControl::Attach(window.ControlHandle(main_form::kVolumescroll),
                              AccessibleKind::ScrollBar, Wide(main_form::kVolumeName));
    for (const forms::Control* control : main_form::kControls) {
        if (control->kind == forms::ControlKind::Button) {
            AccessibleControl::Attach(window.ControlHandle(*control), AccessibleKind::PushButton,
                                      {});
        }
    }
}

void AttachAccessibleControls(const AboutWindow& window) {
    AccessibleControl::Attach(window.OkButton(), AccessibleKind::PushButton, {});
    AccessibleControl::Attach(window.IconBoxHandle(), AccessibleKind::Graphic,
                              Wide(about::kIconName));
}

AccessibleElement DescribeMainWindow(const MainWindow& window) {
    AccessibleElement client;
    client.role = ROLE_SYSTEM_CLIENT;
    client.name = Trimmed(main_form::kTitle);
    for (const forms::Control* control : main_form::kControls) {
        client.elements.push_back(control->kind == forms::ControlKind::Label
                                      ? Label(*control)
                                      : ChildWindow(window.ControlHandle(*control)));
    }
    return client;
}

AccessibleElement DescribeAboutWindow(const AboutWindow& window) {
    AccessibleElement client;
    client.role = ROLE_SYSTEM_DIALOG;
    client.name = Wide(about::kTitle);
    // The order the window lays its controls in, front-most last; the key
    // labels over the picture are read as the table's cells.
    client.elements = {ChildWindow(window.IconBoxHandle()),
                       Label(about::kLabel1),
                       ChildWindow(window.OkButton()),
                       Label(about::kLabel21),
                       Label(about::kLabel26),
                       Label(about::kLabel19),
                       Label(about::kLabel20, about::ReplacedFilesText()),
                       Label(about::kLabel25),
                       Label(about::kLabel2),
                       DtmfTable(),
                       Label(about::kLabel27),
                       Label(about::kLabel28),
                       Label(about::kLabel23, about::CreditText()),
                       Label(about::kLabel24),
                       Link()};
    return client;
}

}  // namespace win32
