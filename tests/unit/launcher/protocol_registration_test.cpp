#include "launcher/protocol_registration.h"

#include <gtest/gtest.h>

#include <string>

namespace launcher {
namespace {

TEST(ProtocolRegistration, CommandQuotesThePathAndTheLink)
{
    EXPECT_EQ(ProtocolCommand(L"C:\\X\\TVRLaunch.exe"), L"\"C:\\X\\TVRLaunch.exe\" \"%1\"");
    EXPECT_EQ(ProtocolCommand(L"C:\\Program Files\\T\\TVRLaunch.exe"),
              L"\"C:\\Program Files\\T\\TVRLaunch.exe\" \"%1\"");
}

TEST(ProtocolRegistration, DataIsAtLeast260CharactersAndAlwaysTerminated)
{
    const std::wstring shortText = L"\"C:\\X\\TVRLaunch.exe\" \"%1\"";
    const std::vector<wchar_t> shortData = RegistryStringData(shortText);
    ASSERT_EQ(shortData.size(), 260u);
    EXPECT_EQ(std::wstring(shortData.data()), shortText);
    for (std::size_t i = shortText.size(); i < shortData.size(); ++i)
        ASSERT_EQ(shortData[i], L'\0') << i;

    // Texts too long for the old fixed buffer are kept whole.
    for (std::size_t length : {259u, 260u, 1000u}) {
        const std::wstring text(length, L'x');
        const std::vector<wchar_t> data = RegistryStringData(text);
        EXPECT_EQ(data.size(), std::max<std::size_t>(260, length + 1));
        EXPECT_EQ(std::wstring(data.data()), text);
        EXPECT_EQ(data.back(), L'\0');
    }
}

}  // namespace
}  // namespace launcher
