#include "updater/windows/tips_box_wnd_win.h"

#include "updater/windows/window_texts.h"

namespace {
constexpr DWORD kStyle = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr int kModeCancelBit = 1;
constexpr int kModeCallerText = 2;
}  // namespace

CTipsBoxWnd::CTipsBoxWnd(HWND owner, const wchar_t* text, int mode) : mode_(mode), text_(text ? text : L"")
{
    Create(owner, window_texts::kTipsBoxTitle, kStyle, kExStyle);
}

CTipsBoxWnd::~CTipsBoxWnd() = default;

LRESULT CTipsBoxWnd::OnCreate()
{
    const LRESULT result = CKmxWndBase::OnCreate();
    CenterWindow();
    return result;
}

void CTipsBoxWnd::OnLayoutLoaded()
{
    tipsLabel_ = Require<ui::Label>(L"tipsLabel");
    cancelButton_ = Require<ui::Button>(L"cancelButton");
    confirmButton_ = Require<ui::Button>(L"confirmButton");

    confirmButton_->SetText(mode_ == kModeCallerText ? L"" : window_texts::kConfirm);
    // The button's images carry no label: this text is its only one.
    confirmButton_->SetTextColor(0x000000);
    confirmButton_->SetHotTextColor(0xFFFFFF);
    confirmButton_->SetPushedTextColor(0xB2C3CC);
    cancelButton_->SetVisible((mode_ & kModeCancelBit) != 0);
    tipsLabel_->SetText(text_);
}

void CTipsBoxWnd::OnNotify(const ui::Notification& notification)
{
    if (notification.type != ui::kNotifyClick) return;
    const std::wstring& name = notification.sender->Name();
    if (name == L"closeButton" || name == L"cancelButton") {
        Close(kCloseCancel);
    } else if (name == L"confirmButton") {
        Close(kCloseConfirm);
    }
}
