// The texts the updater's windows supply, in Chinese and in English, and
// the progress line the progress window shows.
#pragma once

#include <cstdint>
#include <string>

enum class UiLanguage { Chinese, English };

struct LocalizedText {
    const wchar_t* chinese;
    const wchar_t* english;

    const wchar_t* In(UiLanguage language) const
    {
        return language == UiLanguage::Chinese ? chinese : english;
    }
};

namespace window_texts {
extern const LocalizedText kWindowTitle;
extern const LocalizedText kDownloading;        // progress text, not forced
extern const LocalizedText kDownloadingForced;  // progress text, forced
extern const LocalizedText kRetrySuffix;        // a format with one %d
extern const LocalizedText kReadyToInstall;
extern const LocalizedText kFailureBox;
extern const LocalizedText kFailureButton;
extern const LocalizedText kForcedUpdateNotice;
extern const wchar_t kTipsBoxTitle[];
extern const wchar_t kConfirm[];
}  // namespace window_texts

// Longest formatted text, terminating zero included; longer ones are cut.
constexpr int kMaxFormattedText = 259;

// bytesDone * 100 / totalSize, truncated; 0 while totalSize is not positive.
int ProgressPercentage(std::int64_t bytesDone, std::int64_t totalSize);

// "<text>...<percent>%<retry suffix>"; the suffix only when retryCount is
// not 0. percent is limited to 100.
std::wstring FormatProgressLine(const wchar_t* text, int percent, int retryCount, UiLanguage language);
