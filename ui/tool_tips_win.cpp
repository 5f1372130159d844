#include "ui/tool_tips_win.h"

#include <commctrl.h>

#include <vector>

namespace ui {

ToolTips::~ToolTips()
{
    if (tips_ && IsWindow(tips_)) DestroyWindow(tips_);
}

void ToolTips::Create(HWND owner)
{
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);
    owner_ = owner;
    tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
}

void ToolTips::Update(View& view)
{
    if (!tips_) return;
    std::vector<Control*> controls;
    view.Root().Visit([&](Control& c) {
        if (!c.ToolTip().empty()) controls.push_back(&c);
    });
    for (UINT id = 0; id < controls.size(); ++id) {
        Control& c = *controls[id];
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_SUBCLASS;
        tool.hwnd = owner_;
        tool.uId = id;
        const Rect& r = c.GetRect();
        if (c.IsShown()) tool.rect = RECT{r.left, r.top, r.right, r.bottom};
        tool.lpszText = const_cast<wchar_t*>(c.ToolTip().c_str());
        if (id < toolCount_) {
            SendMessageW(tips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        } else {
            SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        }
    }
    toolCount_ = static_cast<UINT>(controls.size());
}

}  // namespace ui
