// Tool tips of a skinned window: one tool per control that has a tool tip,
// over the control's place while it is shown.
#pragma once

#include <windows.h>

#include "ui/view.h"

namespace ui {

class ToolTips {
public:
    ToolTips() = default;
    ~ToolTips();
    ToolTips(const ToolTips&) = delete;
    ToolTips& operator=(const ToolTips&) = delete;

    void Create(HWND owner);
    // Brings the tools in line with the controls' places and visibility.
    void Update(View& view);

private:
    HWND owner_ = nullptr;
    HWND tips_ = nullptr;
    UINT toolCount_ = 0;
};

}  // namespace ui
