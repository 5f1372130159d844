// Applying a package: everything checked before anything installed changes.
#include "archive/package_extract.h"

#include <gtest/gtest.h>

#include "archive_test_support.h"

namespace archivetest {
namespace {

class PackageExtract : public testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(install_ / "client.exe", "old client");
        WriteFile(install_ / "data" / "old.txt", "old data");
        WriteFile(install_ / "keep.txt", "not in the package");
    }

    // A package that replaces client.exe, adds files in new folders and a
    // folder entry.
    void MakePackage(const fs::path& archive, const std::string& extra = "")
    {
        MakeWithPython(archive,
                       "z.writestr('client.exe', 'new client', zipfile.ZIP_DEFLATED)\n"
                       "z.writestr('data/old.txt', 'new data' * 1000, zipfile.ZIP_DEFLATED)\n"
                       "z.writestr('plugins/\u63D2\u4EF6/p.dll', 'plugin')\n"
                       "z.writestr('logs/', '')\n" +
                           extra);
    }

    std::map<std::string, std::string> Installed() const { return Snapshot(install_.path()); }

    ScratchFolder work_;
    ScratchFolder install_;
};

TEST_F(PackageExtract, AppliesEveryEntryAndLeavesNoStagingBehind)
{
    MakePackage(work_ / "update.zip");
    const PackageExtractResult result = ExtractPackage(Wide(work_ / "update.zip"), Wide(install_.path()));
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.entryCount, 4);
    EXPECT_EQ(result.failedEntries, 0);
    const std::map<std::string, std::string> expected = {
        {"client.exe", "new client"},
        {"data", "<folder>"},
        {"data/old.txt",
         [] {
             std::string s;
             for (int i = 0; i < 1000; ++i)
                 s += "new data";
             return s;
         }()},
        {"keep.txt", "not in the package"},
        {"logs", "<folder>"},
        {"plugins", "<folder>"},
        {u8"plugins/插件", "<folder>"},
        {u8"plugins/插件/p.dll", "plugin"},
    };
    EXPECT_EQ(Installed(), expected);
}

TEST_F(PackageExtract, DamagedPackagesChangeNothing)
{
    MakePackage(work_ / "good.zip", "z.writestr('last.txt', 'LAST-ENTRY-DATA')\n");
    const std::string good = ReadFile(work_ / "good.zip");
    std::string badCrc = good;
    badCrc[badCrc.find("LAST-ENTRY-DATA") + 2] = 'x';

    ScratchFolder sources;
    WriteFile(sources / "in" / "client.exe", "encrypted client");
    RunShell("cd " + Quote(sources / "in") + " && zip -q -P pw " + Quote(sources / "enc.zip") +
             " client.exe");

    const struct {
        const char* what;
        std::string bytes;
        bool opened;
    } cases[] = {
        {"last entry's data changed", badCrc, true},
        {"encrypted entry", ReadFile(sources / "enc.zip"), true},
        {"truncated", good.substr(0, good.size() - 40), false},
        {"not a zip", "plain text", false},
    };
    const auto before = Installed();
    for (const auto& c : cases) {
        WriteFile(work_ / "update.zip", c.bytes);
        const PackageExtractResult result = ExtractPackage(Wide(work_ / "update.zip"), Wide(install_.path()));
        EXPECT_EQ(result.opened, c.opened) << c.what;
        EXPECT_EQ(result.damaged, c.opened) << c.what;
        EXPECT_FALSE(result.ok()) << c.what;
        EXPECT_EQ(Installed(), before) << c.what;
    }
}

TEST_F(PackageExtract, AFileThatCannotBeReplacedFailsAloneAndStays)
{
    // Read-only, so it cannot be deleted (as a file in use cannot be on Windows).
    fs::permissions(install_ / "client.exe", fs::perms::owner_read);
    MakePackage(work_ / "update.zip");
    const PackageExtractResult result = ExtractPackage(Wide(work_ / "update.zip"), Wide(install_.path()));
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.damaged);
    EXPECT_EQ(result.failedEntries, 1);
    EXPECT_EQ(ReadFile(install_ / "client.exe"), "old client");
    EXPECT_EQ(ReadFile(install_ / "plugins" / u8"插件" / "p.dll"), "plugin");
    EXPECT_FALSE(Installed().count("~tvr-staging"));
}

TEST_F(PackageExtract, RefusedNamesWriteNothingAndTheRestApplies)
{
    MakePackage(work_ / "update.zip",
                "z.writestr('../escaped.txt', 'x')\nz.writestr('a/../../escaped2.txt', 'x')\n");
    const PackageExtractResult result = ExtractPackage(Wide(work_ / "update.zip"), Wide(install_ / "."));
    EXPECT_TRUE(result.opened);
    EXPECT_FALSE(result.damaged);
    EXPECT_EQ(result.entryCount, 6);
    EXPECT_EQ(result.failedEntries, 2);
    EXPECT_EQ(ReadFile(install_ / "client.exe"), "new client");
    EXPECT_FALSE(fs::exists(install_.path().parent_path() / "escaped.txt"));
    EXPECT_FALSE(fs::exists(install_.path().parent_path() / "escaped2.txt"));
}

TEST_F(PackageExtract, AnEntryNamedLikeTheStagingFolder)
{
    MakePackage(work_ / "update.zip", "z.writestr('~TVR-Staging/inside.txt', 'entry')\n");
    EXPECT_TRUE(ExtractPackage(Wide(work_ / "update.zip"), Wide(install_.path())).ok());
    EXPECT_EQ(ReadFile(install_ / "~TVR-Staging" / "inside.txt"), "entry");
    EXPECT_EQ(ReadFile(install_ / "client.exe"), "new client");
    EXPECT_FALSE(fs::exists(install_ / "~tvr-staging1"));
}

TEST_F(PackageExtract, ClearsAStagingFolderLeftByAnInterruptedRun)
{
    WriteFile(install_ / "~tvr-staging" / "3", "left over");
    fs::permissions(install_ / "~tvr-staging" / "3", fs::perms::owner_read);
    MakePackage(work_ / "update.zip");
    EXPECT_TRUE(ExtractPackage(Wide(work_ / "update.zip"), Wide(install_.path())).ok());
    EXPECT_FALSE(fs::exists(install_ / "~tvr-staging"));
}

TEST_F(PackageExtract, CreatesAMissingTargetFolder)
{
    MakePackage(work_ / "update.zip");
    EXPECT_TRUE(ExtractPackage(Wide(work_ / "update.zip"), Wide(work_ / "new" / "install")).ok());
    EXPECT_EQ(ReadFile(work_ / "new" / "install" / "client.exe"), "new client");
}

}  // namespace
}  // namespace archivetest
