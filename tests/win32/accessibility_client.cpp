// accessibility_client.exe OPENED_FILE: reads the running Quenbrix.exe from
// another process, as a screen reader does through Microsoft Active
// Accessibility, and checks the names, roles and values of both windows:
// the boxes, the bar and the buttons of the main window; the About window's
// labels, icon, DTMF table (each cell read with its key and the pair of its
// row and column headers, which must lie over it) and its link, whose
// default action must open the site. OPENED_FILE is where the stand-in
// browser writes what it was asked to open. Closes both windows at the end.
#include <windows.h>
// In this order: the oleacc GUIDs defined here (MinGW's import library
// gives IID_IAccessible as a thunk, not as the GUID).
#include <initguid.h>
#include <oleacc.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "about_form.h"
#include "main_form.h"
#include "tonegen/dtmf_keys.h"

namespace {

namespace about = forms::about_form;
namespace main_form = forms::main_form;

int failures = 0;

std::string Narrow(const std::wstring& text) {
    std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1,
                                                                   nullptr, 0, nullptr, nullptr)),
                      '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes.data(), static_cast<int>(bytes.size()),
                        nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

std::wstring Wide(std::string_view text) {
    std::wstring wide(static_cast<std::size_t>(MultiByteToWideChar(
                          CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0)),
                      L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        static_cast<int>(wide.size()));
    return wide;
}

std::wstring WithoutEdgeBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string_view::npos
               ? std::wstring()
               : Wide(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

void Check(bool passed, const std::string& what) {
    std::printf("%s %s\n", passed ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!passed) {
        ++failures;
    }
}

// One object or simple element as a screen reader reads it.
struct Node {
    IAccessible* holder = nullptr;  // the object that answers for it
    long id = CHILDID_SELF;
    long role = 0;
    long state = 0;
    std::wstring name;
    std::wstring value;
    std::wstring defaultAction;
    RECT place{};
    std::size_t depth = 0;
};

VARIANT Id(long id) {
    VARIANT variant;
    VariantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = id;
    return variant;
}

std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*question)(VARIANT, BSTR*),
                  IAccessible* object, long id) {
    BSTR text = nullptr;
    std::wstring result;
    if (SUCCEEDED((object->*question)(Id(id), &text)) && text != nullptr) {
        result.assign(text, SysStringLen(text));
    }
    SysFreeString(text);
    return result;
}

long Number(HRESULT (STDMETHODCALLTYPE IAccessible::*question)(VARIANT, VARIANT*),
            IAccessible* object, long id) {
    VARIANT answer;
    VariantInit(&answer);
    const bool known = SUCCEEDED((object->*question)(Id(id), &answer)) && answer.vt == VT_I4;
    const long number = known ? answer.lVal : -1;
    VariantClear(&answer);
    return number;
}

Node Read(IAccessible* object, long id, std::size_t depth) {
    Node node;
    node.holder = object;
    node.id = id;
    node.depth = depth;
    node.role = Number(&IAccessible::get_accRole, object, id);
    node.state = Number(&IAccessible::get_accState, object, id);
    node.name = Text(&IAccessible::get_accName, object, id);
    node.value = Text(&IAccessible::get_accValue, object, id);
    node.defaultAction = Text(&IAccessible::get_accDefaultAction, object, id);
    long left = 0, top = 0, width = 0, height = 0;
    if (SUCCEEDED(object->accLocation(&left, &top, &width, &height, Id(id)))) {
        node.place = {left, top, left + width, top + height};
    }
    return node;
}

// The object and everything below it, depth first; the objects are kept
// for the life of the program.
void Walk(IAccessible* object, std::vector<Node>& nodes, std::size_t depth = 0) {
    nodes.push_back(Read(object, CHILDID_SELF, depth));
    long count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    long got = 0;
    if (count == 0 || FAILED(AccessibleChildren(object, 0, count, children.data(), &got))) {
        return;
    }
    for (long index = 0; index < got; ++index) {
        VARIANT& child = children[static_cast<std::size_t>(index)];
        if (child.vt == VT_DISPATCH && child.pdispVal != nullptr) {
            IAccessible* inner = nullptr;
            if (SUCCEEDED(child.pdispVal->QueryInterface(IID_IAccessible,
                                                         reinterpret_cast<void**>(&inner)))) {
                Walk(inner, nodes, depth + 1);
            }
        } else if (child.vt == VT_I4) {
            nodes.push_back(Read(object, child.lVal, depth + 1));
        }
        VariantClear(&child);
    }
}

const Node* Find(const std::vector<Node>& nodes, long role, const std::wstring& name) {
    for (const Node& node : nodes) {
        if (node.role == role && node.name == name) {
            return &node;
        }
    }
    return nullptr;
}

std::vector<const Node*> WithRole(const std::vector<Node>& nodes, long role) {
    std::vector<const Node*> found;
    for (const Node& node : nodes) {
        if (node.role == role) {
            found.push_back(&node);
        }
    }
    return found;
}

HWND WaitForWindow(const wchar_t* className) {
    for (int attempt = 0; attempt < 300; ++attempt) {
        HWND window = FindWindowW(className, nullptr);
        if (window != nullptr && IsWindowVisible(window) != FALSE) {
            return window;
        }
        Sleep(100);
    }
    return nullptr;
}

IAccessible* ClientObject(HWND window) {
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&object)))) {
        return nullptr;
    }
    return object;
}

void Dump(const std::vector<Node>& nodes) {
    for (const Node& node : nodes) {
        wchar_t role[64] = {};
        GetRoleTextW(static_cast<DWORD>(node.role), role, 64);
        std::printf("%*s%s '%s' value '%s' action '%s'\n", static_cast<int>(node.depth * 2), "",
                    Narrow(role).c_str(), Narrow(node.name).c_str(), Narrow(node.value).c_str(),
                    Narrow(node.defaultAction).c_str());
    }
}

bool Inside(long coordinate, long from, long to) {
    return coordinate >= from && coordinate < to;
}

void CheckMainWindow(IAccessible* client, const std::vector<Node>& nodes) {
    Check(nodes.front().role == ROLE_SYSTEM_CLIENT &&
              nodes.front().name == WithoutEdgeBlanks(main_form::kTitle),
          "the main window's client area is named by its title without the blanks");
    const std::pair<const forms::Control*, std::string_view> boxes[] = {
        {&main_form::kTxtFreq1, main_form::kFrequency1Name},
        {&main_form::kTxtFreq2, main_form::kFrequency2Name},
        {&main_form::kText5, main_form::kDurationName}};
    for (const auto& [box, name] : boxes) {
        const Node* node = Find(nodes, ROLE_SYSTEM_TEXT, Wide(name));
        Check(node != nullptr && node->value == Wide(box->text),
              "a text box named '" + std::string(name) + "' holding " + std::string(box->text));
    }
    const Node* volume = Find(nodes, ROLE_SYSTEM_SCROLLBAR, Wide(main_form::kVolumeName));
    Check(volume != nullptr && volume->value == std::to_wstring(main_form::kVolumeStart),
          "the scroll bar named Volume gives its position");
    for (const forms::Control* control : main_form::kControls) {
        const std::string what(control->text);
        if (control->kind == forms::ControlKind::Button) {
            const Node* button = Find(nodes, ROLE_SYSTEM_PUSHBUTTON, Wide(control->text));
            Check(button != nullptr && !button->defaultAction.empty(),
                  "a push button named '" + what + "' that can be pressed");
        } else if (control->kind == forms::ControlKind::Label) {
            Check(Find(nodes, ROLE_SYSTEM_STATICTEXT, WithoutEdgeBlanks(control->text)) != nullptr,
                  "the painted label '" + what + "'");
        }
    }
    // The keyboard is on "Créer" at start.
    VARIANT focus;
    VariantInit(&focus);
    IAccessible* focused = nullptr;
    if (SUCCEEDED(client->get_accFocus(&focus)) && focus.vt == VT_DISPATCH &&
        focus.pdispVal != nullptr) {
        focus.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&focused));
    }
    VariantClear(&focus);
    Check(focused != nullptr &&
              Text(&IAccessible::get_accName, focused, CHILDID_SELF) ==
                  Wide(main_form::kCommand1.text) &&
              Number(&IAccessible::get_accRole, focused, CHILDID_SELF) == ROLE_SYSTEM_PUSHBUTTON,
          "the client area's focus is the push button \"Créer\"");
    if (focused != nullptr) {
        focused->Release();
    }

    long count = 0;
    client->get_accChildCount(&count);
    Check(count == static_cast<long>(main_form::kControls.size()),
          "every control of the window is a child of its client area");
}

void CheckTable(const std::vector<Node>& nodes) {
    const Node* table = Find(nodes, ROLE_SYSTEM_TABLE, Wide(about::kGridName));
    Check(table != nullptr,
          "the DTMF picture is a table named '" + std::string(about::kGridName) + "'");
    const auto columns = WithRole(nodes, ROLE_SYSTEM_COLUMNHEADER);
    const auto rows = WithRole(nodes, ROLE_SYSTEM_ROWHEADER);
    const auto cells = WithRole(nodes, ROLE_SYSTEM_CELL);
    Check(columns.size() == 4 && rows.size() == 4 && cells.size() == 16,
          "4 column headers, 4 row headers, 16 cells");
    bool headersRead = columns.size() == 4 && rows.size() == 4;
    for (std::size_t i = 0; headersRead && i < 4; ++i) {
        headersRead =
            columns[i]->name == std::to_wstring(tonegen::kDtmfColumnFrequencies[i]) + L" Hz" &&
            rows[i]->name == std::to_wstring(tonegen::kDtmfRowFrequencies[i]) + L" Hz";
    }
    Check(headersRead, "the headers read the column and row frequencies in order");

    // Each cell lies in one row header's band and one column header's, and
    // reads the key of that pair with the two headers.
    int placed = 0;
    for (const Node* cell : cells) {
        const long x = (cell->place.left + cell->place.right) / 2;
        const long y = (cell->place.top + cell->place.bottom) / 2;
        const Node* row = nullptr;
        const Node* column = nullptr;
        for (std::size_t i = 0; i < rows.size() && i < columns.size(); ++i) {
            if (Inside(y, rows[i]->place.top, rows[i]->place.bottom)) {
                row = rows[i];
            }
            if (Inside(x, columns[i]->place.left, columns[i]->place.right)) {
                column = columns[i];
            }
        }
        for (const tonegen::DtmfKey& key : tonegen::kDtmfKeys) {
            if (row != nullptr && column != nullptr &&
                row->name == std::to_wstring(key.lowHertz) + L" Hz" &&
                column->name == std::to_wstring(key.highHertz) + L" Hz" &&
                cell->name == std::wstring(1, static_cast<wchar_t>(key.key)) + L" : " + row->name +
                                  L" et " + column->name) {
                ++placed;
            }
        }
    }
    Check(placed == 16, "every cell reads its key and the pair of the headers it lies under (" +
                            std::to_string(placed) + " of 16)");
}

void CheckAboutWindow(HWND window, IAccessible* client, const std::vector<Node>& nodes,
                      const std::wstring& openedFile) {
    Check(nodes.front().role == ROLE_SYSTEM_DIALOG && nodes.front().name == Wide(about::kTitle),
          "the About window's client area is a dialog named '" + std::string(about::kTitle) + "'");
    Check(Find(nodes, ROLE_SYSTEM_GRAPHIC, Wide(about::kIconName)) != nullptr,
          "the icon box is a graphic named '" + std::string(about::kIconName) + "'");
    const Node* ok = Find(nodes, ROLE_SYSTEM_PUSHBUTTON, Wide(about::kCmdOK.text));
    Check(ok != nullptr && !ok->defaultAction.empty(),
          "\"OK\" is a push button that can be pressed");
    for (const std::string& text :
         {std::string(about::kLabel1.text), std::string(about::kLabel21.text),
          about::ReplacedFilesText(), std::string(about::kLabel25.text),
          std::string(about::kLabel27.text), std::string(about::kLabel28.text), about::CreditText(),
          std::string(about::kLabel24.text)}) {
        Check(Find(nodes, ROLE_SYSTEM_STATICTEXT, WithoutEdgeBlanks(text)) != nullptr,
              "the painted label '" + text + "'");
    }
    CheckTable(nodes);

    const std::string site(about::SiteUrl());
    const auto hostStart = site.find("://") + 3;
    const std::string host = site.substr(hostStart, site.find('/', hostStart) - hostStart);
    const Node* link = Find(nodes, ROLE_SYSTEM_LINK, Wide(host));
    Check(link != nullptr && link->value == Wide(site) && (link->state & STATE_SYSTEM_LINKED) != 0,
          "the link is a link named " + host + " leading to " + site);
    if (link == nullptr) {
        return;
    }
    Check(link->defaultAction == Wide(about::kLinkActionName),
          "the link's default action is '" + Narrow(link->defaultAction) + "'");
    VARIANT hit;
    VariantInit(&hit);
    client->accHitTest((link->place.left + link->place.right) / 2,
                       (link->place.top + link->place.bottom) / 2, &hit);
    Check(hit.vt == VT_I4 && hit.lVal == link->id, "the point in the link's middle is the link");
    VariantClear(&hit);

    Check(SUCCEEDED(link->holder->accDoDefaultAction(Id(link->id))),
          "the link's default action is done");
    std::string opened;
    for (int attempt = 0; attempt < 200 && opened.find(site) == std::string::npos; ++attempt) {
        Sleep(100);
        std::ifstream file{std::filesystem::path(openedFile)};
        opened.clear();
        for (std::string line; std::getline(file, line);) {
            opened += line + "\n";
        }
    }
    Check(opened == site + "\n",
          "the browser was asked to open " + site + ", once: '" + opened + "'");
    Check(IsWindowVisible(window) != FALSE, "the About window stays open");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: accessibility_client OPENED_FILE\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND mainWindow = WaitForWindow(L"QuenbrixForm1");
    Check(mainWindow != nullptr, "the main window is there");
    IAccessible* mainClient = mainWindow != nullptr ? ClientObject(mainWindow) : nullptr;
    Check(mainClient != nullptr, "the main window gives its client area's object");
    if (mainClient == nullptr) {
        return 1;
    }
    std::vector<Node> mainNodes;
    Walk(mainClient, mainNodes);
    Dump(mainNodes);
    CheckMainWindow(mainClient, mainNodes);

    // "A propos" pressed as a screen reader presses it.
    const Node* aboutButton =
        Find(mainNodes, ROLE_SYSTEM_PUSHBUTTON, Wide(main_form::kCmdAide.text));
    Check(aboutButton != nullptr &&
              SUCCEEDED(aboutButton->holder->accDoDefaultAction(Id(aboutButton->id))),
          "\"A propos\" is pressed through its default action");
    HWND aboutWindow = WaitForWindow(L"QuenbrixFrmAbout");
    Check(aboutWindow != nullptr, "pressing \"A propos\" opens the About window");
    IAccessible* aboutClient = aboutWindow != nullptr ? ClientObject(aboutWindow) : nullptr;
    if (aboutClient != nullptr) {
        std::vector<Node> aboutNodes;
        Walk(aboutClient, aboutNodes);
        Dump(aboutNodes);
        CheckAboutWindow(aboutWindow, aboutClient, aboutNodes, argv[1]);
        PostMessageW(aboutWindow, WM_CLOSE, 0, 0);
    }
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    std::printf("%d failed\n", failures);
    return failures == 0 ? 0 : 1;
}
