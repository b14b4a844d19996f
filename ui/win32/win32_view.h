// The updater's window as app::View over native Windows controls.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/view.h"
#include "ui/win32/control_factory.h"
#include "ui/win32/layout_index.h"
#include "ui/win32/message_loop.h"

namespace ui::win32 {

class Win32View final : public app::View {
  public:
    // `close` runs whatever closing the main window means to its owner.
    Win32View(const ControlHandles& handles, const layout::ControlIndex& index, MessageLoop& loop,
              std::function<void()> close);

    HWND Handle(app::Control control) const;
    const layout::LayoutControl& Entry(app::Control control) const;
    // The control with this handle, if it is one of the layout's.
    std::optional<app::Control> ControlOf(HWND handle) const;

    // The controls that can take the focus now, in keyboard order: the
    // window's direct children in the layout's tab order, with the page
    // area's place taken by the active page's controls.
    std::vector<HWND> TabStops() const;

    // The page area draws no tabs: a tab's visibility is kept for the logic
    // but never drawn, its caption not even kept.
    bool TabVisible(app::Control page) const;

    void SetVisible(app::Control control, bool visible) override;
    void SetEnabled(app::Control control, bool enabled) override;
    void SetCaption(app::Control control, std::string_view text) override;
    void SetPosition(app::Control progressBar, int position) override;
    bool IsChecked(app::Control checkBox) override;
    void ReplaceLine(app::Control listBox, int index, std::string_view text) override;

    void SetActivePage(app::Control page) override;
    app::Control ActivePage() override { return activePage_; }
    void SetTabVisible(app::Control page, bool visible) override;

    void ProcessPendingMessages() override { loop_.ProcessPending(); }
    void Close() override { close_(); }

  private:
    // Whether the control is of that kind; see app::View for a call that
    // does not fit.
    bool Is(app::Control control, layout::Kind kind, const char* problem) const;

    ControlHandles handles_;
    layout::ControlIndex index_;
    MessageLoop& loop_;
    std::function<void()> close_;
    app::Control activePage_;
    std::array<bool, app::kControlCount> tabVisible_;
};

}  // namespace ui::win32
