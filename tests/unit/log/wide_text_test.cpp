// Wide text through WideToAnsi. Natively "chs" does not exist, so the text
// is converted in whatever C locale is current.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "log/log.h"
#include "log/wide_text.h"
#include "log_test_support.h"

namespace {

std::string CurrentLocale()
{
    const char* name = std::setlocale(LC_ALL, nullptr);
    return name != nullptr ? name : "(none)";
}

// Sets the C locale while it lives.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : saved_(CurrentLocale())
    {
        ok = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleScope() { std::setlocale(LC_ALL, saved_.c_str()); }
    bool ok = false;

private:
    std::string saved_;
};

TEST(LogWideText, AsciiTextConverts)
{
    EXPECT_EQ(logging::WideToAnsi(L"tuvora.exe"), "tuvora.exe");
    EXPECT_EQ(logging::WideToAnsi(std::wstring(L"par: a=1&b=2")), "par: a=1&b=2");
    EXPECT_EQ(logging::WideToAnsi(L""), "");
    EXPECT_EQ(logging::WideToAnsi(static_cast<const wchar_t*>(nullptr)), "");
}

TEST(LogWideText, LocaleIsSwitchedBack)
{
    const std::string before = CurrentLocale();
    logging::WideToAnsi(L"abc");
    EXPECT_EQ(CurrentLocale(), before);

    LocaleScope utf8("C.UTF-8");
    ASSERT_TRUE(utf8.ok);
    logging::WideToAnsi(L"abc");
    EXPECT_EQ(CurrentLocale(), "C.UTF-8");
}

TEST(LogWideText, UnconvertibleTextEndsTheResultSafely)
{
    // The "C" locale has no form for U+4E2D: the result stops before it.
    LocaleScope c("C");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(logging::WideToAnsi(L"ab\u4e2dcd"), "ab");
}

TEST(LogWideText, MultibyteTextFitsTheBufferOrIsCutAtACharacter)
{
    LocaleScope utf8("C.UTF-8");
    ASSERT_TRUE(utf8.ok);
    // 4 characters, 8 bytes of room: "a", three bytes, "bc".
    EXPECT_EQ(logging::WideToAnsi(L"a\u4e2dbc"),
              "a\xe4\xb8\xad"
              "bc");
    // 1 character, 2 bytes of room: its 3 bytes do not fit; nothing is cut in half.
    EXPECT_EQ(logging::WideToAnsi(L"\u4e2d"), "");
}

TEST(LogWideText, InsertionIntoALogStatement)
{
    logtest::FixedClock clock(logtest::kMarch7th2026);
    logtest::RecordingLogger sink;
    const std::wstring tail = L"id=7";
    LOG_TO(&sink, logging::Info) << L"par: " << tail << L"" << static_cast<const wchar_t*>(nullptr);
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0], "[PWX][I][2026-3-7 9:5:2] par: id=7\n");
}

}  // namespace
