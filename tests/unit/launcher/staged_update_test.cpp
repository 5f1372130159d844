#include "launcher/staged_update.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace launcher {
namespace {

// A folder tree in memory: file path -> content.
class FakeFiles : public StagingFiles {
public:
    std::map<std::wstring, std::string> files;
    std::set<std::wstring> locked;  // cannot be deleted or overwritten

    bool Exists(const std::wstring& path) override { return files.count(path) != 0; }
    bool Remove(const std::wstring& path) override
    {
        if (locked.count(path)) return false;
        return files.erase(path) != 0;
    }
    bool Copy(const std::wstring& from, const std::wstring& to) override
    {
        if (!files.count(from) || locked.count(to)) return false;
        files[to] = files[from];
        return true;
    }
};

const std::wstring kRoot = L"C:\\课堂\\";

TEST(StagedUpdate, ClearsLeftoversAndTakesThePackageOutOfStaging)
{
    FakeFiles fs;
    fs.files = {
        {kRoot + L"temp\\Updater.exe", "u"},  {kRoot + L"temp\\update.td0", "0"},
        {kRoot + L"temp\\update.td1", "1"},   {kRoot + L"temp\\update.td2", "2"},
        {kRoot + L"temp\\update.td3", "3"},   {kRoot + L"temp\\update.td", "m"},
        {kRoot + L"temp\\update.zip", "new"}, {kRoot + L"update.zip", "old"},
        {kRoot + L"temp\\zlib.dll", "z"},     {kRoot + L"tuvora.exe", "c"},
        {kRoot + L"temp\\update.td4", "4"},
    };
    PrepareStagedUpdate(kRoot, fs);
    const std::map<std::wstring, std::string> expected = {
        {kRoot + L"update.zip", "new"},
        {kRoot + L"temp\\zlib.dll", "z"},
        {kRoot + L"tuvora.exe", "c"},
        {kRoot + L"temp\\update.td4", "4"},
    };
    EXPECT_EQ(fs.files, expected);
}

TEST(StagedUpdate, NothingStagedCopiesNothing)
{
    FakeFiles fs;
    fs.files = {{kRoot + L"temp\\update.td2", "2"}, {kRoot + L"update.zip", "earlier"}};
    PrepareStagedUpdate(kRoot, fs);
    EXPECT_EQ(fs.files, (std::map<std::wstring, std::string>{{kRoot + L"update.zip", "earlier"}}));
}

TEST(StagedUpdate, AFailedCopyKeepsTheStagedPackage)
{
    FakeFiles fs;
    fs.files = {{kRoot + L"temp\\update.zip", "new"}, {kRoot + L"update.zip", "in use"}};
    fs.locked = {kRoot + L"update.zip"};
    PrepareStagedUpdate(kRoot, fs);
    EXPECT_EQ(fs.files.at(kRoot + L"temp\\update.zip"), "new");
    EXPECT_EQ(fs.files.at(kRoot + L"update.zip"), "in use");
}

TEST(StagedUpdate, ALeftoverThatCannotBeDeletedDoesNotStopTheRest)
{
    FakeFiles fs;
    fs.files = {{kRoot + L"temp\\Updater.exe", "running"},
                {kRoot + L"temp\\update.td", "m"},
                {kRoot + L"temp\\update.zip", "new"}};
    fs.locked = {kRoot + L"temp\\Updater.exe"};
    PrepareStagedUpdate(kRoot, fs);
    EXPECT_EQ(fs.files, (std::map<std::wstring, std::string>{{kRoot + L"temp\\Updater.exe", "running"},
                                                             {kRoot + L"update.zip", "new"}}));
}

}  // namespace
}  // namespace launcher
