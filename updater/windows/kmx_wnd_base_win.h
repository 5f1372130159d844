// What the updater's three windows share: their skin is a layout in the
// program's skin package, Enter asks to close with code 1 and Escape with
// code 2.
#pragma once

#include <windows.h>

#include <string>

#include "ui/window_impl_win.h"

// Codes of a window's close request.
constexpr int kCloseConfirm = 1;
constexpr int kCloseCancel = 2;

class CKmxWndBase : public ui::WindowImplBase {
public:
    static constexpr int kSkinResourceId = 102;
    static constexpr int kIconGroupId = 101;

    UINT ClassStyle() const override { return CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS; }
    std::wstring SkinFolder() const override { return L""; }
    int ResourceId() const override { return kSkinResourceId; }
    bool FilterMessage(const MSG& msg) override;

protected:
    // A control the window cannot work without; a layout that lacks it is
    // treated as one that cannot be built.
    template <typename ControlType>
    ControlType* Require(const wchar_t* name)
    {
        auto* control = dynamic_cast<ControlType*>(FindControl(name));
        if (!control) MissingControl(name);
        return control;
    }

private:
    [[noreturn]] void MissingControl(const wchar_t* name);
};
