// The window as the updater's logic sees it.
//
// The logic names controls by the names the window layout gives them and does
// only the few things listed here to them; each toolkit's view (Qt, Win32)
// implements this interface over real widgets.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace app {

// clang-format off
#define KESTRUN_CONTROLS(X)                                                              \
    /* the fixed frame */                                                                \
    X(Image6) X(ListBoxVer) X(PageControl1) X(btnESC) X(btnBACK) X(btnNEXT) X(Panel1)    \
    /* the pages */                                                                      \
    X(TabSheet1) X(TabSheet2) X(TabSheet3) X(TabSheet4) X(TabSheet5)                     \
    /* page 1: welcome; the two buttons lie out of sight and do nothing */               \
    X(RichEdit1) X(Button1) X(Button2)                                                   \
    /* page 2: preparation */                                                            \
    X(ListBox1)                                                                          \
    /* page 3: connection */                                                             \
    X(Label1) X(lbConnected) X(lbNotConnected) X(ListBox6) X(txtConnFail) X(txtConnOK)   \
    X(btnConnect) X(ListBox2) X(cbKeepUser)                                              \
    /* page 4: update */                                                                 \
    X(lbWrite) X(BarWrite) X(lbWriteOn) X(lbWriteOK) X(lbWriteErr)                       \
    X(lbVerify) X(BarVerify) X(lbVerifyOn) X(lbVerifyOK) X(lbVerifyErr)                  \
    X(txtWriteOK) X(txtWriteFail) X(ListWriteOK) X(ListWriteFail)                        \
    /* page 5: closing */                                                                \
    X(ListBox4)
// clang-format on

enum class Control {
#define KESTRUN_CONTROL_ENUM(name) name,
    KESTRUN_CONTROLS(KESTRUN_CONTROL_ENUM)
#undef KESTRUN_CONTROL_ENUM
};

inline constexpr std::array kControlNames = {
#define KESTRUN_CONTROL_NAME(name) std::string_view(#name),
    KESTRUN_CONTROLS(KESTRUN_CONTROL_NAME)
#undef KESTRUN_CONTROL_NAME
};

inline constexpr std::size_t kControlCount = kControlNames.size();

// The object name of a control in the window layout.
constexpr std::string_view ControlName(Control control) {
    return kControlNames[static_cast<std::size_t>(control)];
}

constexpr std::optional<Control> ControlByName(std::string_view name) {
    for (std::size_t i = 0; i < kControlCount; ++i) {
        if (kControlNames[i] == name)
            return static_cast<Control>(i);
    }
    return std::nullopt;
}

// A call that does not fit its control (a caption for a progress bar, a
// line the list box lacks, a page hidden by hand) is a mistake in the logic:
// a debug build stops on it, a release build leaves the window as it is
// rather than guess. Nothing is thrown: the calls run inside the toolkit's
// message dispatch, which no exception may cross.
class View {
  public:
    virtual ~View() = default;

    virtual void SetVisible(Control control, bool visible) = 0;
    virtual void SetEnabled(Control control, bool enabled) = 0;
    // Texts are UTF-8.
    virtual void SetCaption(Control control, std::string_view text) = 0;
    virtual void SetPosition(Control progressBar, int position) = 0;
    virtual bool IsChecked(Control checkBox) = 0;
    virtual void ReplaceLine(Control listBox, int index, std::string_view text) = 0;

    // Pages of PageControl1 are TabSheet1 to TabSheet5.
    virtual void SetActivePage(Control page) = 0;
    virtual Control ActivePage() = 0;
    virtual void SetTabVisible(Control page, bool visible) = 0;

    // Dispatches every window message already queued and returns as soon as
    // none is left, without waiting for more and without the idle event.
    virtual void ProcessPendingMessages() = 0;
    // Closes the main window; the window's close handler runs and the program ends.
    virtual void Close() = 0;
};

}  // namespace app
