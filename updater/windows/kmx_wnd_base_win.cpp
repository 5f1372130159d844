#include "updater/windows/kmx_wnd_base_win.h"

#include "log/log.h"
#include "ui/log_text.h"

bool CKmxWndBase::FilterMessage(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_ESCAPE) {
        Close(kCloseCancel);
        return true;
    }
    if (msg.wParam == VK_RETURN) {
        Close(kCloseConfirm);
        return true;
    }
    return false;
}

void CKmxWndBase::MissingControl(const wchar_t* name)
{
    const std::string narrow = ui::Narrow(name);
    LOG(logging::Error) << "layout " << ui::Narrow(SkinFile()) << " lacks the control " << narrow;
    ui::FailSkin();
}
