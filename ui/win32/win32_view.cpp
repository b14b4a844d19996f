#include "ui/win32/win32_view.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "ui/win32/update_main_layout.h"
#include "ui/win32/utf16.h"

namespace ui::win32 {

namespace {

using layout::Kind;

// A call that does not fit its control (see app::View): debug builds stop
// on it, a release build does nothing.
bool Fits(bool fits, [[maybe_unused]] app::Control control, [[maybe_unused]] const char* problem) {
#ifndef NDEBUG
    if (!fits) {
        const std::string_view name = app::ControlName(control);
        std::fprintf(stderr, "window layout: %.*s %s\n", static_cast<int>(name.size()), name.data(),
                     problem);
        std::abort();
    }
#endif
    return fits;
}

bool TakesFocus(Kind kind) {
    return kind == Kind::Button || kind == Kind::CheckBox || kind == Kind::List ||
           kind == Kind::RichText;
}

}  // namespace

Win32View::Win32View(const ControlHandles& handles, const layout::ControlIndex& index,
                     MessageLoop& loop, std::function<void()> close)
    : handles_(handles), index_(index), loop_(loop), close_(std::move(close)) {
    tabVisible_.fill(true);
    // The first page is the one the layout shows.
    const auto first = std::find_if(std::begin(layout::kControls), std::end(layout::kControls),
                                    [](const auto& entry) { return entry.kind == Kind::Page; });
    if (first == std::end(layout::kControls))
        throw std::logic_error("window layout: the page area has no pages");
    activePage_ = *app::ControlByName(first->name);
    SetActivePage(activePage_);
}

HWND Win32View::Handle(app::Control control) const {
    return handles_[static_cast<std::size_t>(control)];
}

const layout::LayoutControl& Win32View::Entry(app::Control control) const {
    return *index_[static_cast<std::size_t>(control)];
}

std::optional<app::Control> Win32View::ControlOf(HWND handle) const {
    const auto found = std::find(handles_.begin(), handles_.end(), handle);
    if (handle == nullptr || found == handles_.end())
        return std::nullopt;
    return static_cast<app::Control>(found - handles_.begin());
}

bool Win32View::Is(app::Control control, Kind kind, const char* problem) const {
    return Fits(Entry(control).kind == kind, control, problem);
}

std::vector<HWND> Win32View::TabStops() const {
    std::vector<HWND> stops;
    const auto add = [&](const layout::LayoutControl& entry) {
        const HWND handle = Handle(*app::ControlByName(entry.name));
        if (TakesFocus(entry.kind) && IsWindowVisible(handle) && IsWindowEnabled(handle))
            stops.push_back(handle);
    };
    for (std::string_view name : layout::kTabOrder) {
        const layout::LayoutControl& entry = Entry(*app::ControlByName(name));
        if (entry.kind != Kind::PageArea) {
            add(entry);
            continue;
        }
        const std::string_view page = app::ControlName(activePage_);
        for (const layout::LayoutControl& onPage : layout::kControls) {
            if (onPage.parent == page)
                add(onPage);
        }
    }
    return stops;
}

bool Win32View::TabVisible(app::Control page) const {
    return tabVisible_[static_cast<std::size_t>(page)];
}

void Win32View::SetVisible(app::Control control, bool visible) {
    // Hiding a page by hand would leave an empty page area.
    if (!Fits(Entry(control).kind != Kind::Page, control,
              "is a page: use SetTabVisible or SetActivePage"))
        return;
    ShowWindow(Handle(control), visible ? SW_SHOWNA : SW_HIDE);
}

void Win32View::SetEnabled(app::Control control, bool enabled) {
    EnableWindow(Handle(control), enabled ? TRUE : FALSE);
}

void Win32View::SetCaption(app::Control control, std::string_view text) {
    switch (Entry(control).kind) {
        case Kind::Page:
            // A page's caption is its tab's, and the page area draws no tabs.
            break;
        case Kind::Button:
        case Kind::CheckBox:
        case Kind::Label:
            SetWindowTextW(Handle(control), Widen(text).c_str());
            break;
        default:
            Fits(false, control, "has no caption");
    }
}

void Win32View::SetPosition(app::Control progressBar, int position) {
    if (!Is(progressBar, Kind::ProgressBar, "is not a progress bar"))
        return;
    const auto& entry = Entry(progressBar);
    // The bar clamps by itself too; the range is the layout's either way.
    SendMessageW(Handle(progressBar), PBM_SETPOS,
                 static_cast<WPARAM>(std::clamp(position, entry.minimum, entry.maximum)), 0);
}

bool Win32View::IsChecked(app::Control checkBox) {
    return Is(checkBox, Kind::CheckBox, "is not a check box") &&
           SendMessageW(Handle(checkBox), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32View::ReplaceLine(app::Control listBox, int index, std::string_view text) {
    if (!Is(listBox, Kind::List, "is not a list box"))
        return;
    const HWND list = Handle(listBox);
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (!Fits(index >= 0 && index < count, listBox, "has no line at that index"))
        return;
    SendMessageW(list, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(Widen(text).c_str()));
}

void Win32View::SetActivePage(app::Control page) {
    if (!Is(page, Kind::Page, "is not a page of the page area"))
        return;
    const HWND shown = Handle(page);
    const HWND focus = GetFocus();
    const bool focusOnOldPage =
        focus != nullptr && !IsChild(shown, focus) && IsChild(GetParent(shown), focus);
    activePage_ = page;
    ShowWindow(shown, SW_SHOWNA);
    for (const layout::LayoutControl& entry : layout::kControls) {
        const app::Control other = *app::ControlByName(entry.name);
        if (entry.kind == Kind::Page && other != page)
            ShowWindow(Handle(other), SW_HIDE);
    }
    // The focus must not stay on a control that is out of sight now.
    if (focusOnOldPage) {
        const std::vector<HWND> stops = TabStops();
        const auto onPage = std::find_if(stops.begin(), stops.end(),
                                         [&](HWND stop) { return IsChild(shown, stop); });
        SetFocus(onPage != stops.end() ? *onPage : (stops.empty() ? nullptr : stops.front()));
    }
}

void Win32View::SetTabVisible(app::Control page, bool visible) {
    if (Is(page, Kind::Page, "is not a page of the page area"))
        tabVisible_[static_cast<std::size_t>(page)] = visible;
}

}  // namespace ui::win32
