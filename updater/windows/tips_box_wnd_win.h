// The question box: one line of text, a confirm button and, in mode 1, a
// cancel button. Its modal loop returns 1 for the confirm button or Enter,
// 2 for the close or cancel button or Escape.
#pragma once

#include <string>

#include "ui/label.h"
#include "updater/windows/kmx_wnd_base_win.h"

class CTipsBoxWnd : public CKmxWndBase {
public:
    // Mode bit 0 shows the cancel button; mode 2 leaves the confirm button
    // without text, for the caller to set. owner may be null.
    CTipsBoxWnd(HWND owner, const wchar_t* text, int mode);
    ~CTipsBoxWnd() override;

    const wchar_t* WindowClassName() const override { return L"kmx_updater_tips_wnd_class_name"; }
    std::wstring SkinFile() const override { return L"TipsBoxWnd.xml"; }
    LRESULT OnCreate() override;
    void OnLayoutLoaded() override;
    void OnNotify(const ui::Notification& notification) override;

    ui::Button* ConfirmButton() const { return confirmButton_; }

private:
    ui::Label* tipsLabel_ = nullptr;
    ui::Button* cancelButton_ = nullptr;
    ui::Button* confirmButton_ = nullptr;
    int mode_;
    std::wstring text_;
};
