#include "ui/win32/main_window.h"

#include <algorithm>
#include <stdexcept>

#include "platform/win32/narrow_device_notice.h"
#include "ui/win32/control_factory.h"
#include "ui/win32/update_main_layout.h"
#include "ui/win32/utf16.h"

namespace ui::win32 {

namespace {

using app::Control;

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
// The icon's resource ID in the program's resource script.
constexpr WORD kIconId = 1;

const wchar_t* WindowClass(HINSTANCE instance, WNDPROC procedure) {
    // The class takes the layout's name for the window, by which a driver
    // from outside finds it: its title is empty.
    static const std::wstring name = Widen(layout::kWindow.name);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(instance, name.c_str(), &existing)) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
        windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = name.c_str();
        if (RegisterClassExW(&windowClass) == 0)
            throw std::runtime_error("cannot register the main window's class");
    }
    return name.c_str();
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, platform::SerialApi& serial,
                       platform::PortsRegistry& registry,
                       platform::DeviceNotifications* notifications, const AttachWindow& attach)
    : instance_(instance),
      loop_([this](const MSG& message) { return keys_ != nullptr && keys_->Handle(message); }) {
    const layout::ControlIndex index = layout::IndexControls(layout::kControls);

    RECT frame{0, 0, layout::kWindow.clientWidth, layout::kWindow.clientHeight};
    AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
    window_ =
        CreateWindowExW(0, WindowClass(instance, Procedure), Widen(layout::kWindow.title).c_str(),
                        kWindowStyle, app::WindowLeft, app::WindowTop, frame.right - frame.left,
                        frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (window_ == nullptr)
        throw std::runtime_error("cannot create the main window");
    logo_ = static_cast<HBITMAP>(LoadImageW(
        instance, Widen(index[static_cast<std::size_t>(Control::Image6)]->picture).c_str(),
        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));

    const ControlHandles handles = CreateControls(window_, instance, fonts_);
    view_ = std::make_unique<Win32View>(handles, index, loop_, [this] { CloseWindow(); });
    keys_ = std::make_unique<KeyboardNavigation>(window_, [this] { return view_->TabStops(); });

    const layout::LayoutControl& area = view_->Entry(Control::PageControl1);
    pageArea_ = {area.x, area.y, area.width, area.height};

    logic_ = std::make_unique<app::TForm1>(*view_, serial, registry, notifications);
    if (attach)
        attach(window_);
    logic_->FormCreate();
}

MainWindow::~MainWindow() {
    if (window_ != nullptr) {
        // Whatever the destruction still sends finds no window object.
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    if (logo_ != nullptr)
        DeleteObject(logo_);
}

void MainWindow::Show(int showCommand) {
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
}

int MainWindow::Run() {
    const int exitCode = loop_.Run([this] { Idle(); });
    // A quit that came from elsewhere still closes the port.
    RunCloseHandlerOnce();
    return exitCode;
}

void MainWindow::Idle() {
    // No idle once closed: nothing may open the port after the close
    // handler has let go of it.
    if (!close_.Closed())
        idle_.Run([this] { logic_->ApplicationEvents1Idle(); });
}

void MainWindow::RunCloseHandlerOnce() {
    if (!close_.Close())
        return;
    logic_->FormClose();
    ShowWindow(window_, SW_HIDE);
}

void MainWindow::CloseWindow() {
    // Отмена, the last page's OK, the close box, the system menu and Alt+F4
    // all end here. An update may still be running further up the stack: it
    // finds the port closed, gives up at its next exchange, and the loop
    // ends when control is back in it.
    if (close_.Closed())
        return;
    RunCloseHandlerOnce();
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr || self->view_ == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                if (const auto control = view_->ControlOf(reinterpret_cast<HWND>(lParam)))
                    OnClick(*control);
            }
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            return ColorControl(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlType == ODT_LISTBOX)
                DrawListLine(item);
            else
                DrawPicture(item);
            return TRUE;
        }
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED)
                KeepPageAreaAnchored();
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE)
                lastFocus_ = GetFocus();
            else if (HIWORD(wParam) == 0)
                RestoreFocus();
            return 0;
        case WM_DEVICECHANGE: {
            const auto event = static_cast<std::uint32_t>(wParam);
            const auto* record = reinterpret_cast<const void*>(lParam);
            // Only arrival and removal carry a record. With every other
            // event lParam is a plain number, which any program on the
            // desktop may post: it is passed on unread, and the form ignores
            // it. The form only notes the event; what it was handed need not
            // outlive the call.
            platform::win32::NarrowNoticeRecord narrow;
            if (event == platform::DeviceArrival || event == platform::DeviceRemoveComplete)
                record = platform::win32::NarrowInterfaceNotice(record, narrow);
            logic_->WMDeviceChange(event, record);
            // The result of a notice of arrival or removal means nothing to
            // the system; the handler leaves it at 0.
            return 0;
        }
        case WM_CLOSE:
            CloseWindow();
            return 0;
        case WM_ENDSESSION:
            if (wParam != FALSE)
                RunCloseHandlerOnce();
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void MainWindow::OnClick(Control button) {
    if (close_.Closed())
        return;
    switch (button) {
        case Control::btnNEXT:
            logic_->btnNEXTClick();
            break;
        case Control::btnBACK:
            logic_->btnBACKClick();
            break;
        case Control::btnESC:
            logic_->btnESCClick();
            break;
        case Control::btnConnect:
            logic_->btnConnectClick();
            break;
        default:
            // The welcome page's two buttons lie out of sight and do nothing.
            break;
    }
}

LRESULT MainWindow::ColorControl(HDC dc, HWND control) {
    // Every label paints its background, so a status label hides the one
    // it lies over ("ОШИБКА!!!" over the write row's "ОК").
    COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    if (const auto found = view_->ControlOf(control)) {
        const layout::LayoutControl& entry = view_->Entry(*found);
        if (entry.hasColor)
            text = RGB(entry.color.red, entry.color.green, entry.color.blue);
    }
    SetTextColor(dc, text);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void MainWindow::DrawPicture(const DRAWITEMSTRUCT& item) {
    // The logo at its own size from the control's top-left corner.
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (logo_ == nullptr)
        return;
    BITMAP size{};
    GetObjectW(logo_, sizeof(size), &size);
    const HDC source = CreateCompatibleDC(item.hDC);
    const HGDIOBJ previous = SelectObject(source, logo_);
    BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, size.bmWidth, size.bmHeight, source, 0, 0,
           SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

void MainWindow::DrawListLine(const DRAWITEMSTRUCT& item) {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    if (item.itemID == static_cast<UINT>(-1))
        return;
    const auto length = SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
    if (length <= 0)
        return;
    std::wstring line(static_cast<std::size_t>(length), L'\0');
    SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(line.data()));
    const HGDIOBJ previous = SelectObject(
        item.hDC, reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
    // Where a list box of the system puts its lines: one pixel in, at the top.
    ExtTextOutW(item.hDC, item.rcItem.left + 1, item.rcItem.top, ETO_CLIPPED, &item.rcItem,
                line.data(), static_cast<UINT>(line.size()), nullptr);
    SelectObject(item.hDC, previous);
}

void MainWindow::KeepPageAreaAnchored() {
    RECT client{};
    GetClientRect(window_, &client);
    const app::Rect r = app::AnchoredPageArea(
        pageArea_, {layout::kWindow.clientWidth, layout::kWindow.clientHeight},
        {static_cast<int>(client.right), static_cast<int>(client.bottom)});
    MoveWindow(view_->Handle(Control::PageControl1), r.x, r.y, r.width, r.height, TRUE);
    // The pages fill the page area below its tab row.
    for (const layout::LayoutControl& entry : layout::kControls) {
        if (entry.kind == layout::Kind::Page) {
            MoveWindow(view_->Handle(*app::ControlByName(entry.name)), entry.x, entry.y,
                       entry.width, std::max(0, r.height - entry.y), TRUE);
        }
    }
}

void MainWindow::RestoreFocus() {
    if (lastFocus_ != nullptr && IsChild(window_, lastFocus_) && IsWindowVisible(lastFocus_) &&
        IsWindowEnabled(lastFocus_)) {
        SetFocus(lastFocus_);
        return;
    }
    const std::vector<HWND> stops = view_->TabStops();
    SetFocus(stops.empty() ? window_ : stops.front());
}

}  // namespace ui::win32
