// The box that tells the user the update went wrong and offers the
// vendor's download page, where the full installer is.
#pragma once

#include "updater/windows/tips_box_wnd_win.h"

// The vendor's download page.
extern const wchar_t kDownloadPageUrl[];

// Without owner; its one button reads "Go Downloading Page" (or its Chinese
// form). ShowModal returns kCloseConfirm for the button or Enter.
class CUpdateFailureBox : public CTipsBoxWnd {
public:
    CUpdateFailureBox();
};

// Opens a page with the shell's "open" verb, in the user's browser.
void OpenWithShell(const wchar_t* url);
void OpenDownloadPage();
