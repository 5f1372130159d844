#include "updater/windows/failure_box_win.h"

#include <shellapi.h>

#include "updater/windows/ui_language_win.h"
#include "updater/windows/window_texts.h"

const wchar_t kDownloadPageUrl[] = L"https://www.tuvora.com/download";

namespace {
constexpr int kConfirmOnlyWithCallerText = 2;
}

CUpdateFailureBox::CUpdateFailureBox()
    : CTipsBoxWnd(nullptr, window_texts::kFailureBox.In(CurrentUiLanguage()), kConfirmOnlyWithCallerText)
{
    if (ConfirmButton()) ConfirmButton()->SetText(window_texts::kFailureButton.In(CurrentUiLanguage()));
}

void OpenWithShell(const wchar_t* url)
{
    ShellExecuteW(nullptr, L"open", url, nullptr, nullptr, SW_SHOW);
}

void OpenDownloadPage()
{
    OpenWithShell(kDownloadPageUrl);
}
