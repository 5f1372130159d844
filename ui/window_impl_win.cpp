#include "ui/window_impl_win.h"

#include <windowsx.h>

#include "log/log.h"
#include "ui/gdi_canvas_win.h"
#include "ui/gdiplus_session_win.h"
#include "ui/layout_builder.h"
#include "ui/log_text.h"
#include "ui/message_loop_win.h"
#include "ui/placement.h"
#include "ui/skin_archive_win.h"
#include "ui/ui_app_win.h"

namespace ui {
namespace {

const wchar_t kWindowProperty[] = L"ui.WindowImplBase";
const wchar_t kSkinFailureText[] = L"加载资源文件失败";
const wchar_t kSkinFailureCaption[] = L"UI";
constexpr int kSkinFailureExitCode = 1;

HINSTANCE Instance()
{
    return GetInstance() ? GetInstance() : GetModuleHandleW(nullptr);
}

Point ClientPoint(LPARAM lParam)
{
    return Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

Size ClientSize(HWND hwnd)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    return Size{r.right - r.left, r.bottom - r.top};
}

}  // namespace

void FailSkin()
{
    MessageBoxW(nullptr, kSkinFailureText, kSkinFailureCaption, MB_OK | MB_ICONERROR);
    ExitProcess(kSkinFailureExitCode);
}

WindowImplBase::WindowImplBase()
{
    EnsureGdiplus();
}

WindowImplBase::~WindowImplBase()
{
    if (hwnd_) DestroyWindow(hwnd_);
}

WindowImplBase* WindowImplBase::FromHandle(HWND hwnd)
{
    return hwnd ? static_cast<WindowImplBase*>(GetPropW(hwnd, kWindowProperty)) : nullptr;
}

bool WindowImplBase::RegisterWindowClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = ClassStyle();
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = WindowClassName();
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND WindowImplBase::Create(HWND owner, const wchar_t* title, DWORD style, DWORD exStyle)
{
    if (!RegisterWindowClass()) {
        LOG(logging::Error) << "cannot register window class " << Narrow(WindowClassName());
        return nullptr;
    }
    CreateWindowExW(exStyle, WindowClassName(), title, style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, owner, nullptr, Instance(), this);
    return hwnd_;
}

LRESULT CALLBACK WindowImplBase::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowImplBase* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<WindowImplBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetPropW(hwnd, kWindowProperty, self);
    } else {
        self = FromHandle(hwnd);
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);

    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        LOG(logging::Error) << "window message " << message << " failed with an exception";
        result = DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kWindowProperty);
        self->hwnd_ = nullptr;
    }
    return result;
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        case WM_CREATE:
            return OnCreate();
        case WM_NCCALCSIZE:
            return 0;  // the whole window is client area
        case WM_NCPAINT:
            return 0;
        case WM_NCACTIVATE:
            return TRUE;  // no frame to repaint
        case WM_NCHITTEST:
            return HitTest(lParam);
        case WM_NCLBUTTONDBLCLK:
            return 0;  // a small fixed box does not maximise
        case WM_ERASEBKGND:
            return 1;  // painting covers every pixel
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SIZE:
            if (view_) view_->Arrange(ClientSize(hwnd_));
            return 0;
        case WM_MOUSEMOVE:
            if (!trackingLeave_) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd_, 0};
                trackingLeave_ = TrackMouseEvent(&track) != FALSE;
            }
            if (view_) view_->MouseMove(ClientPoint(lParam));
            return 0;
        case WM_MOUSELEAVE:
            trackingLeave_ = false;
            if (view_) view_->MouseLeave();
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            if (view_ && view_->MouseDown(ClientPoint(lParam)) && hwnd_) SetCapture(hwnd_);
            return 0;
        case WM_LBUTTONUP:
            // Released before the click is delivered: its receiver may run a
            // modal loop of its own.
            releasingCapture_ = true;
            if (GetCapture() == hwnd_) ReleaseCapture();
            releasingCapture_ = false;
            if (view_) view_->MouseUp(ClientPoint(lParam));
            return 0;
        case WM_CAPTURECHANGED:
            if (view_ && !releasingCapture_) view_->CancelPress();
            return 0;
        case WM_CLOSE:
            closeCode_ = static_cast<int>(wParam);
            // Enabled before this window goes, so the owner gets the activation.
            if (modalOwner_) EnableWindow(modalOwner_, TRUE);
            DestroyWindow(hwnd_);
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT WindowImplBase::OnCreate()
{
    const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~WS_CAPTION) | WS_CLIPSIBLINGS | WS_CLIPCHILDREN);
    if (!LoadSkin()) FailSkin();
    return 0;
}

bool WindowImplBase::LoadSkin()
{
    const std::wstring file = SkinFolder() + SkinFile();
    archive_ = SkinArchive::Open(Instance(), ResourceId());
    if (!archive_) {
        LOG(logging::Error) << "skin package (resource " << ResourceId() << ") is missing or unreadable";
        return false;
    }
    std::vector<unsigned char> xml;
    if (!archive_->Read(file, xml)) {
        LOG(logging::Error) << "layout " << Narrow(file) << " is missing from the skin package";
        return false;
    }
    BuildResult built = BuildView(std::string_view(reinterpret_cast<const char*>(xml.data()), xml.size()));
    if (!built.view) {
        LOG(logging::Error) << "layout " << Narrow(file) << " cannot be built: " << built.error;
        return false;
    }
    images_ = std::make_unique<ImageCache>(*archive_, SkinFolder());
    fonts_ = std::make_unique<FontSet>(built.view->Fonts());
    view_ = std::move(built.view);
    view_->SetListener(this);
    toolTips_.Create(hwnd_);

    const Size size = view_->InitialSize();
    UINT flags = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
    if (size.width == 0 || size.height == 0) flags |= SWP_NOSIZE;
    SetWindowPos(hwnd_, nullptr, 0, 0, size.width, size.height, flags);
    view_->Arrange(ClientSize(hwnd_));
    OnLayoutLoaded();
    return true;
}

LRESULT WindowImplBase::HitTest(LPARAM lParam)
{
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(hwnd_, &p);
    return view_ && view_->IsCaption(Point{p.x, p.y}) ? HTCAPTION : HTCLIENT;
}

void WindowImplBase::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    if (dc && view_ && buffer_.Ensure(dc, ClientSize(hwnd_))) {
        const Size size = ClientSize(hwnd_);
        const RECT all{0, 0, size.width, size.height};
        FillRect(buffer_.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        GdiCanvas canvas(buffer_.Dc(), *images_, *fonts_);
        view_->Paint(canvas);
        const RECT& r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, buffer_.Dc(), r.left, r.top, SRCCOPY);
    }
    EndPaint(hwnd_, &ps);
}

void WindowImplBase::OnViewInvalidate(const Rect& area)
{
    if (!hwnd_) return;
    const RECT r{area.left, area.top, area.right, area.bottom};
    InvalidateRect(hwnd_, &r, FALSE);
}

void WindowImplBase::OnViewArranged()
{
    if (view_) toolTips_.Update(*view_);
}

Control* WindowImplBase::FindControl(std::wstring_view name)
{
    return view_ ? view_->Find(name) : nullptr;
}

void WindowImplBase::Close(int code)
{
    if (hwnd_ && IsWindow(hwnd_)) PostMessageW(hwnd_, WM_CLOSE, static_cast<WPARAM>(code), 0);
}

int WindowImplBase::ShowModal()
{
    if (!hwnd_) return 0;
    closeCode_ = 0;
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    if (owner && IsWindowEnabled(owner)) {
        modalOwner_ = owner;
        EnableWindow(owner, FALSE);
    }
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    while (hwnd_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            quit = true;
            quitCode = msg.wParam;
            break;
        }
        if (got == -1) break;
        if (FilterForWindow(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (modalOwner_) {
        EnableWindow(modalOwner_, TRUE);
        modalOwner_ = nullptr;
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
    return closeCode_;
}

void WindowImplBase::CenterWindow()
{
    if (!hwnd_) return;
    RECT window{};
    GetWindowRect(hwnd_, &window);
    HWND owner = GetWindow(hwnd_, GW_OWNER);
    const bool overOwner = owner && !IsIconic(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(overOwner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& w = monitor.rcWork;
    const Rect workArea{w.left, w.top, w.right, w.bottom};
    Rect over = workArea;
    if (overOwner) {
        RECT o{};
        GetWindowRect(owner, &o);
        over = Rect{o.left, o.top, o.right, o.bottom};
    }
    const Point p =
        CenteredPosition(Size{window.right - window.left, window.bottom - window.top}, over, workArea);
    SetWindowPos(hwnd_, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowImplBase::Show(bool show, bool takeFocus)
{
    if (hwnd_) ShowWindow(hwnd_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
}

void WindowImplBase::SetIcon(int groupId)
{
    if (!hwnd_) return;
    // Shared icons belong to the module: nothing to destroy.
    const auto load = [](int id, int sizeMetric) {
        const int size = GetSystemMetrics(sizeMetric);
        return static_cast<HICON>(
            LoadImageW(Instance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
    };
    if (HICON large = load(groupId, SM_CXICON)) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(large));
    }
    if (HICON little = load(groupId, SM_CXSMICON)) {
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(little));
    }
}

void WindowImplBase::StartTimer(UINT id, UINT periodMs)
{
    if (hwnd_) SetTimer(hwnd_, id, periodMs, nullptr);
}

void WindowImplBase::StopTimer(UINT id)
{
    if (hwnd_) KillTimer(hwnd_, id);
}

void WindowImplBase::PaintNow()
{
    if (hwnd_) UpdateWindow(hwnd_);
}

}  // namespace ui
