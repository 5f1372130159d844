#include "updater/windows/ui_language_win.h"

#include <windows.h>

UiLanguage CurrentUiLanguage()
{
    constexpr LANGID kChinesePrc = 0x0804;
    return GetUserDefaultUILanguage() == kChinesePrc ? UiLanguage::Chinese : UiLanguage::English;
}
