#include "updater/windows/window_texts.h"

#include <algorithm>
#include <cwchar>
#include <string>

namespace window_texts {
const LocalizedText kWindowTitle{L"升级程序", L"Update Program"};
const LocalizedText kDownloading{
    L"新版本下载中，建议下载完成后再进入教室",
    L"New version of client is downloading. We recommand you to enter the Class after download complete"};
const LocalizedText kDownloadingForced{L"客户端有新版本，正在自动更新，请稍候哦",
                                       L"Find new version for client, updating now ..."};
const LocalizedText kRetrySuffix{L"（重试第%d次)", L"（Retring for %d times)"};
const LocalizedText kReadyToInstall{L"新版本将在下次启动时安装，您也可以立即安装！",
                                    L"New version will install at next start. You can also install it now"};
const LocalizedText kFailureBox{
    L"升级出问题了,请下载完整安装包~",
    L"There are some problems in Updating, Please download full installer from website~"};
const LocalizedText kFailureButton{L"前往下载", L"Go Downloading Page"};
const LocalizedText kForcedUpdateNotice{
    L"您的客户端版本太低，将更新至最新版本!",
    L"Your client version is too low. We will update it to the latest version!"};
const wchar_t kTipsBoxTitle[] = L"Livora提示";
const wchar_t kConfirm[] = L"确定";
}  // namespace window_texts

int ProgressPercentage(std::int64_t bytesDone, std::int64_t totalSize)
{
    if (totalSize <= 0) return 0;
    return static_cast<int>(bytesDone * 100 / totalSize);
}

std::wstring FormatProgressLine(const wchar_t* text, int percent, int retryCount, UiLanguage language)
{
    std::wstring line = std::wstring(text) + L"..." + std::to_wstring(std::min(percent, 100)) + L"%";
    if (retryCount != 0) {
        wchar_t suffix[kMaxFormattedText];
        if (std::swprintf(suffix, kMaxFormattedText, window_texts::kRetrySuffix.In(language), retryCount) >
            0) {
            line += suffix;
        }
    }
    if (line.size() > kMaxFormattedText - 1) line.resize(kMaxFormattedText - 1);
    return line;
}
