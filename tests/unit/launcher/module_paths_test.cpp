#include "launcher/module_paths.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(ModulePaths, ParentFolderHasNoTrailingSeparatorExceptAtARoot)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\X\\TVRLaunch.exe", L"C:\\X"},
        {L"C:\\Program Files (x86)\\Tuvora\\TVRLaunch.exe", L"C:\\Program Files (x86)\\Tuvora"},
        {L"C:\\课堂\\TVRLaunch.exe", L"C:\\课堂"},
        {L"C:\\X\\\\TVRLaunch.exe", L"C:\\X"},
        {L"C:/X/TVRLaunch.exe", L"C:/X"},
        {L"C:\\TVRLaunch.exe", L"C:\\"},
        {L"C:TVRLaunch.exe", L"C:"},
        {L"\\\\server\\share\\TVRLaunch.exe", L"\\\\server\\share"},
        {L"\\\\server\\TVRLaunch.exe", L"\\\\server\\"},
        {L"\\\\?\\C:\\X\\TVRLaunch.exe", L"\\\\?\\C:\\X"},
        {L"TVRLaunch.exe", L""},
        {L"", L""},
    };
    for (const auto& [path, parent] : cases)
        EXPECT_EQ(ParentFolder(path), parent) << "path: " << path;
}

TEST(ModulePaths, FolderWithSeparatorEndsAtTheLastBackslash)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\X\\TVRLaunch.exe", L"C:\\X\\"},
        {L"C:\\TVRLaunch.exe", L"C:\\"},
        {L"C:\\X\\", L"C:\\X\\"},
        {L"C:TVRLaunch.exe", L""},
        {L"", L""},
    };
    for (const auto& [path, folder] : cases)
        EXPECT_EQ(FolderWithSeparator(path), folder) << "path: " << path;
}

}  // namespace
}  // namespace launcher
