// The user's UI language, as the windows' texts follow it: Chinese for
// Chinese (PRC), 0x0804, English for every other language. Asked afresh at
// each use.
#pragma once

#include "updater/windows/window_texts.h"

UiLanguage CurrentUiLanguage();
