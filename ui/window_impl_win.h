// The framework's base of a skinned window: the native window, its layout
// built from the program's skin package, painting, mouse and keyboard, the
// notifications of its controls, and the modal loop.
//
// A derived window names its window class and its layout file and calls
// Create from its constructor; the layout is built while the native window
// is created, and OnLayoutLoaded runs before Create returns. A skin that
// cannot be read or a layout that cannot be built shows a message box and
// ends the process with exit code 1.
//
// A window belongs to the thread that created it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "ui/gdi_objects_win.h"
#include "ui/tool_tips_win.h"
#include "ui/view.h"

namespace ui {

// Shows the message box of a skin that cannot be used and ends the process
// with exit code 1.
[[noreturn]] void FailSkin();

class FontSet;
class ImageCache;
class SkinArchive;

class WindowImplBase : private ViewListener {
public:
    WindowImplBase();

    virtual const wchar_t* WindowClassName() const = 0;
    virtual UINT ClassStyle() const { return CS_DBLCLKS; }
    // Every message of the window comes here first; the framework's own
    // handling is this base version.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Destroys the native window if it still exists.
    virtual ~WindowImplBase();
    virtual void OnLayoutLoaded() {}
    // Folder of the layout and its images inside the skin package.
    virtual std::wstring SkinFolder() const { return L""; }
    virtual std::wstring SkinFile() const = 0;
    // Id of the "ZIPRES" resource that holds the skin package.
    virtual int ResourceId() const = 0;
    // The window's creation message: removes the system caption and builds
    // the layout.
    virtual LRESULT OnCreate();

    // Notifications of the controls ("click", "setfocus").
    virtual void OnNotify(const Notification&) {}
    // Sees every message the framework's loops take for this window before
    // it is dispatched; true keeps it from being dispatched.
    virtual bool FilterMessage(const MSG&) { return false; }

    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    // Registers the window class and creates the native window at the
    // default place; the layout's size applies. Null on failure.
    HWND Create(HWND owner, const wchar_t* title, DWORD style, DWORD exStyle);
    HWND GetHWND() const { return hwnd_; }
    static WindowImplBase* FromHandle(HWND hwnd);

    Control* FindControl(std::wstring_view name);

    // Posts a close request carrying code; nothing when the window is gone.
    void Close(int code);
    // Shows the window normally and runs a loop until it is closed; its owner
    // is disabled meanwhile. Returns the code of the close request (0 when it
    // ended otherwise). A quit message ends the loop too and is posted again
    // for the loop around.
    int ShowModal();
    // Over the owner, or over the nearest monitor's work area when there is
    // none or it is minimised; kept inside that work area.
    void CenterWindow();
    void Show(bool show = true, bool takeFocus = true);
    // Large and small icons from an icon group resource, at the system's sizes.
    void SetIcon(int groupId);
    void StartTimer(UINT id, UINT periodMs);
    void StopTimer(UINT id);
    // Paints what changed now, for code that is about to block the thread.
    void PaintNow();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool RegisterWindowClass();
    bool LoadSkin();
    void Paint();
    LRESULT HitTest(LPARAM lParam);

    void OnViewNotify(const Notification& notification) override { OnNotify(notification); }
    void OnViewInvalidate(const Rect& area) override;
    void OnViewArranged() override;

    HWND hwnd_ = nullptr;
    HWND modalOwner_ = nullptr;
    int closeCode_ = 0;
    bool trackingLeave_ = false;
    bool releasingCapture_ = false;
    std::unique_ptr<SkinArchive> archive_;
    std::unique_ptr<View> view_;
    std::unique_ptr<ImageCache> images_;
    std::unique_ptr<FontSet> fonts_;
    BackBuffer buffer_;
    ToolTips toolTips_;
};

}  // namespace ui
