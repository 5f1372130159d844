// The reader on archives made by real tools, compared with unzip and with
// minizip, and on damaged and hostile archives. Runs with TZ=UTC.
#include "archive/zip_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/zip_names.h"
#include "archive_test_support.h"
#include "minizip_oracle.h"

namespace archivetest {
namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;
// 2001-02-03 04:05:06 UTC.
constexpr std::int64_t kUnixMoment = 981173106;

std::uint64_t FileTimeOf(std::int64_t unixSeconds)
{
    return (unixSeconds + 11644473600ull) * kTicksPerSecond;
}

// Makes a folder the current directory for as long as it lives: the reader's
// rootFolder is the current directory at Open.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~InFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

std::unique_ptr<ZipReader> OpenOrFail(const fs::path& archive)
{
    std::unique_ptr<ZipReader> reader;
    EXPECT_EQ(ZipReader::Open(Wide(archive), reader), ZipResult::Ok) << archive;
    return reader;
}

int CountOf(ZipReader& reader)
{
    ZipEntryInfo info;
    EXPECT_EQ(reader.GetEntry(-1, info), ZipResult::Ok);
    return info.index;
}

// Extracts every entry under its own name into the reader's rootFolder, as
// the launcher does; returns the results by name.
std::map<std::wstring, ZipResult> ExtractAll(ZipReader& reader)
{
    std::map<std::wstring, ZipResult> results;
    for (int i = 0, n = CountOf(reader); i < n; ++i) {
        ZipEntryInfo info;
        reader.GetEntry(i, info);
        results[info.name] = reader.ExtractEntry(i, info.name);
    }
    return results;
}

std::int64_t ModifiedSeconds(const fs::path& path)
{
    struct stat info;
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mtime;
}

void SetModifiedSeconds(const fs::path& path, std::int64_t seconds)
{
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

bool IsWritable(const fs::path& path)
{
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

class ZipReaderOnToolArchives : public testing::TestWithParam<Archiver> {
protected:
    void SetUp() override
    {
        MakeSampleTree(source_.path());
        SetModifiedSeconds(source_ / "readme.txt", kUnixMoment);
        RunShell(GetParam().command(source_.path(), archive_));
    }
    ScratchFolder source_;
    ScratchFolder work_;
    fs::path archive_ = work_ / "package.zip";
};

TEST_P(ZipReaderOnToolArchives, ExtractsWhatUnzipExtracts)
{
    const fs::path ours = work_ / "ours";
    const fs::path theirs = work_ / "theirs";
    fs::create_directories(ours);
    {
        InFolder in(ours);
        auto reader = OpenOrFail(archive_);
        ASSERT_TRUE(reader);
        for (const auto& [name, result] : ExtractAll(*reader))
            EXPECT_EQ(result, ZipResult::Ok) << name.size();
        EXPECT_EQ(reader->Close(), ZipResult::Ok);
    }
    RunShell("LC_ALL=C.UTF-8 unzip -q " + Quote(archive_) + " -d " + Quote(theirs));
    EXPECT_EQ(Snapshot(ours), Snapshot(theirs));
    EXPECT_EQ(Snapshot(ours), Snapshot(source_.path()));
}

TEST_P(ZipReaderOnToolArchives, AgreesWithMinizip)
{
    std::vector<OracleEntry> expected;
    ASSERT_TRUE(ReadWithMinizip(archive_.string(), expected));
    auto reader = OpenOrFail(archive_);
    ASSERT_TRUE(reader);
    ASSERT_EQ(CountOf(*reader), static_cast<int>(expected.size()));
    for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
        ZipEntryInfo info;
        ASSERT_EQ(reader->GetEntry(i, info), ZipResult::Ok);
        EXPECT_EQ(info.index, i);
        EXPECT_EQ(info.name, MakeSafeName(DecodeUtf8Name(expected[i].rawName)));
        EXPECT_EQ(info.compressedSize, expected[i].compressedSize);
        EXPECT_EQ(info.uncompressedSize, expected[i].uncompressedSize);
        std::vector<unsigned char> data;
        ASSERT_EQ(reader->ReadEntry(i, data), ZipResult::Ok) << expected[i].rawName;
        EXPECT_EQ(std::string(data.begin(), data.end()), expected[i].data) << expected[i].rawName;
    }
}

TEST_P(ZipReaderOnToolArchives, GivesTheFilesTheirModificationTime)
{
    const fs::path out = work_ / "out";
    fs::create_directories(out);
    InFolder in(out);
    auto reader = OpenOrFail(archive_);
    ASSERT_TRUE(reader);
    ExtractAll(*reader);
    EXPECT_EQ(ModifiedSeconds(out / "readme.txt"), kUnixMoment);
}

INSTANTIATE_TEST_SUITE_P(Archivers, ZipReaderOnToolArchives, testing::ValuesIn(Archivers()),
                         [](const testing::TestParamInfo<Archiver>& info) {
                             return std::string(info.param.name);
                         });

TEST(ZipReader, ExtendedTimestampWinsOverTheLocalDosTime)
{
    // Made eight hours east of UTC: the DOS time says 12:05:06, the extended
    // timestamp the true moment; this test runs in UTC.
    ScratchFolder folder;
    WriteFile(folder / "in" / "f.txt", "x");
    SetModifiedSeconds(folder / "in" / "f.txt", kUnixMoment);
    RunShell("cd " + Quote(folder / "in") +
             " && TZ=Asia/Shanghai zip -q ../ut.zip f.txt && TZ=Asia/Shanghai zip -qX ../dos.zip f.txt");
    const struct {
        const char* archive;
        std::int64_t expected;
    } cases[] = {{"ut.zip", kUnixMoment}, {"dos.zip", kUnixMoment + 8 * 3600}};
    for (const auto& c : cases) {
        auto reader = OpenOrFail(folder / c.archive);
        ASSERT_TRUE(reader);
        ZipEntryInfo info;
        ASSERT_EQ(reader->GetEntry(0, info), ZipResult::Ok);
        EXPECT_EQ(info.times.write, FileTimeOf(c.expected)) << c.archive;
    }
}

TEST(ZipReader, InvalidDosDateWithoutTimestampLeavesTheSystemTime)
{
    ScratchFolder folder;
    MakeWithPython(folder / "a.zip", "z.writestr(zipfile.ZipInfo('f.txt', (1980, 0, 0, 0, 0, 0)), 'x')");
    InFolder in(folder.path());
    auto reader = OpenOrFail(folder / "a.zip");
    ASSERT_TRUE(reader);
    ZipEntryInfo info;
    ASSERT_EQ(reader->GetEntry(0, info), ZipResult::Ok);
    EXPECT_EQ(info.times.write, 0u);
    const std::int64_t before = time(nullptr);
    ASSERT_EQ(reader->ExtractEntry(0, L"f.txt"), ZipResult::Ok);
    EXPECT_GE(ModifiedSeconds(folder / "f.txt"), before);
}

TEST(ZipReader, Utf8NamesWithoutTheLanguageFlag)
{
    ScratchFolder folder;
    // zipfile sets the flag for such names; clear it in every header.
    WriteFile(folder / "make.py",
              "import sys, zipfile\n"
              "with zipfile.ZipFile(sys.argv[1], 'w') as z:\n"
              "    z.writestr('\u4E2D\u6587/\u8BF4\u660E.txt', 'x')\n"
              "data = bytearray(open(sys.argv[1], 'rb').read())\n"
              "for sig, at in ((b'PK\\x03\\x04', 7), (b'PK\\x01\\x02', 9)):\n"
              "    p = data.find(sig)\n"
              "    while p >= 0:\n"
              "        data[p + at] &= 0xF7\n"
              "        p = data.find(sig, p + 4)\n"
              "open(sys.argv[1], 'wb').write(data)\n");
    RunShell("python3 " + Quote(folder / "make.py") + " " + Quote(folder / "a.zip"));
    RunShell(
        "python3 -c 'import sys, zipfile; assert zipfile.ZipFile(sys.argv[1]).infolist()[0].flag_bits & "
        "0x800 == 0' " +
        Quote(folder / "a.zip"));
    InFolder in(folder.path());
    auto reader = OpenOrFail(folder / "a.zip");
    ASSERT_TRUE(reader);
    ZipEntryInfo info;
    ASSERT_EQ(reader->GetEntry(0, info), ZipResult::Ok);
    EXPECT_EQ(info.name, L"\u4E2D\u6587/\u8BF4\u660E.txt");
    ASSERT_EQ(reader->ExtractEntry(0, info.name), ZipResult::Ok);
    EXPECT_EQ(ReadFile(folder / u8"中文" / u8"说明.txt"), "x");
}

TEST(ZipReader, ReadOnlyEntriesFromDosAndUnixHosts)
{
    ScratchFolder folder;
    MakeWithPython(folder / "a.zip",
                   "def add(name, system, attributes):\n"
                   "    info = zipfile.ZipInfo(name, (2001, 2, 3, 4, 5, 6))\n"
                   "    info.create_system, info.external_attr = system, attributes\n"
                   "    z.writestr(info, name)\n"
                   "add('dos-ro.txt', 0, 0x21)\n"
                   "add('dos-hidden.txt', 0, 0x22)\n"
                   "add('ntfs-ro.txt', 11, 0x01)\n"
                   "add('unix-ro.txt', 3, 0o100444 << 16)\n"
                   "add('unix-rw.txt', 3, 0o100644 << 16)\n"
                   "add('dos-folder/', 0, 0x10)\n"
                   "add('slash-folder/', 0, 0)\n");
    const struct {
        const wchar_t* name;
        std::uint32_t attributes;
        bool writable;
    } cases[] = {
        {L"dos-ro.txt", 0x21, false},   {L"dos-hidden.txt", 0x22, true}, {L"ntfs-ro.txt", 0x01, false},
        {L"unix-ro.txt", 0x21, false},  {L"unix-rw.txt", 0x20, true},    {L"dos-folder/", 0x10, true},
        {L"slash-folder/", 0x10, true},
    };
    InFolder in(folder.path());
    auto reader = OpenOrFail(folder / "a.zip");
    ASSERT_TRUE(reader);
    for (int i = 0; i < 7; ++i) {
        ZipEntryInfo info;
        ASSERT_EQ(reader->GetEntry(i, info), ZipResult::Ok);
        EXPECT_EQ(info.name, cases[i].name);
        EXPECT_EQ(info.attributes, cases[i].attributes) << cases[i].name;
        EXPECT_EQ(reader->ExtractEntry(i, info.name), ZipResult::Ok);
        const fs::path extracted = folder.path() / fs::path(info.name);
        EXPECT_EQ(IsWritable(extracted), cases[i].writable) << cases[i].name;
    }
    EXPECT_TRUE(fs::is_directory(folder / "slash-folder"));
}

TEST(ZipReader, EntriesThatTryToLeaveTheFolderAreRefused)
{
    ScratchFolder folder;
    const fs::path root = folder / "root";
    fs::create_directories(root / "x");
    MakeWithPython(
        folder / "hostile.zip",
        "for name in ['../evil.txt', 'x/../../y.txt', 'C:\\\\x\\\\a.txt', '/abs.txt', 'a/../b.txt',\n"
        "             '..\\\\win.txt', 'sub/.. /z.txt', '../']:\n"
        "    z.writestr(name, name)\n");
    const struct {
        const wchar_t* name;
        ZipResult described;
    } cases[] = {
        {L"../evil.txt", ZipResult::NameOutsideFolder},
        {L"../y.txt", ZipResult::NameOutsideFolder},
        {L"x\\a.txt", ZipResult::Ok},
        {L"abs.txt", ZipResult::Ok},
        {L"b.txt", ZipResult::Ok},
        {L"..\\win.txt", ZipResult::NameOutsideFolder},
        {L"sub/.. /z.txt", ZipResult::NameOutsideFolder},
        {L"../", ZipResult::NameOutsideFolder},
    };
    InFolder in(root);
    auto reader = OpenOrFail(folder / "hostile.zip");
    ASSERT_TRUE(reader);
    ASSERT_EQ(CountOf(*reader), 8);
    for (int i = 0; i < 8; ++i) {
        ZipEntryInfo info;
        EXPECT_EQ(reader->GetEntry(i, info), cases[i].described) << i;
        EXPECT_EQ(info.name, cases[i].name);
        const ZipResult extracted = reader->ExtractEntry(i, info.name);
        EXPECT_EQ(extracted,
                  cases[i].described == ZipResult::Ok ? ZipResult::Ok : ZipResult::NameOutsideFolder);
    }
    auto outside = Snapshot(folder.path());
    outside.erase("hostile.zip");
    for (auto it = outside.begin(); it != outside.end();)
        it = it->first.rfind("root", 0) == 0 ? outside.erase(it) : ++it;
    EXPECT_TRUE(outside.empty()) << outside.begin()->first;
    EXPECT_EQ(ReadFile(root / "abs.txt"), "/abs.txt");
    EXPECT_EQ(ReadFile(root / "b.txt"), "a/../b.txt");
}

TEST(ZipReader, LongNamesWork)
{
    ScratchFolder folder;
    std::string name;
    for (int i = 0; i < 6; ++i)
        name += std::string(60, static_cast<char>('a' + i)) + "/";
    name += std::string(100, 'f') + ".txt";
    MakeWithPython(folder / "long.zip", "z.writestr('" + name + "', 'long')");
    InFolder in(folder.path());
    auto reader = OpenOrFail(folder / "long.zip");
    ASSERT_TRUE(reader);
    ZipEntryInfo info;
    ASSERT_EQ(reader->GetEntry(0, info), ZipResult::Ok);
    EXPECT_EQ(info.name.size(), name.size());
    ASSERT_EQ(reader->ExtractEntry(0, info.name), ZipResult::Ok);
    EXPECT_EQ(ReadFile(folder / name), "long");
}

TEST(ZipReader, ArchiveInMemory)
{
    ScratchFolder folder;
    MakeWithPython(folder / "skin.zip",
                   "z.writestr('layouts/main.xml', '<Window/>')\nz.writestr('img/a.png', 'PNG')");
    const std::string bytes = ReadFile(folder / "skin.zip");
    std::unique_ptr<ZipReader> reader;
    ASSERT_EQ(ZipReader::Open(bytes.data(), bytes.size(), reader), ZipResult::Ok);
    const int index = reader->FindEntry(L"img/a.png");
    ASSERT_EQ(index, 1);
    std::vector<unsigned char> data;
    ASSERT_EQ(reader->ReadEntry(index, data), ZipResult::Ok);
    EXPECT_EQ(std::string(data.begin(), data.end()), "PNG");
    EXPECT_EQ(reader->FindEntry(L"missing.xml"), -1);

    const std::string notZip = "just some bytes, no directory";
    EXPECT_EQ(ZipReader::Open(notZip.data(), notZip.size(), reader), ZipResult::CannotOpenFile);
    EXPECT_FALSE(reader);
}

TEST(ZipReader, IndexesAndLifecycle)
{
    ScratchFolder folder;
    MakeWithPython(folder / "two.zip", "z.writestr('a', 'A')\nz.writestr('b', 'BB')");
    MakeWithPython(folder / "empty.zip", "pass");
    auto empty = OpenOrFail(folder / "empty.zip");
    ASSERT_TRUE(empty);
    EXPECT_EQ(CountOf(*empty), 0);

    auto reader = OpenOrFail(folder / "two.zip");
    ASSERT_TRUE(reader);
    ZipEntryInfo info;
    const struct {
        int index;
        ZipResult result;
    } cases[] = {{-2, ZipResult::BadArgument},
                 {2, ZipResult::BadArgument},
                 {1, ZipResult::Ok},
                 {0, ZipResult::Ok},
                 {1, ZipResult::Ok}};
    for (const auto& c : cases)
        EXPECT_EQ(reader->GetEntry(c.index, info), c.result) << c.index;
    EXPECT_EQ(info.name, L"b");
    EXPECT_EQ(info.uncompressedSize, 2u);
    EXPECT_EQ(reader->ExtractEntry(-1, L"x"), ZipResult::BadArgument);
    EXPECT_EQ(reader->ExtractEntry(2, L"x"), ZipResult::BadArgument);
    reader->Close();
    EXPECT_EQ(reader->GetEntry(0, info), ZipResult::CannotOpenFile);

    std::unique_ptr<ZipReader> missing;
    EXPECT_EQ(ZipReader::Open(Wide(folder / "missing.zip"), missing), ZipResult::CannotOpenFile);
    EXPECT_EQ(ZipReader::Open(Wide(folder.path()), missing), ZipResult::CannotOpenFile);
}

TEST(ZipReader, ReplacesAnExistingFileUnlessItIsReadOnly)
{
    ScratchFolder folder;
    MakeWithPython(folder / "a.zip", "z.writestr('f.txt', 'new')\nz.writestr('ro.txt', 'new')");
    WriteFile(folder / "f.txt", "old old old");
    WriteFile(folder / "ro.txt", "old");
    fs::permissions(folder / "ro.txt", fs::perms::owner_read);
    InFolder in(folder.path());
    auto reader = OpenOrFail(folder / "a.zip");
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->ExtractEntry(0, L"f.txt"), ZipResult::Ok);
    EXPECT_EQ(reader->ExtractEntry(1, L"ro.txt"), ZipResult::CannotOpenFile);
    EXPECT_EQ(ReadFile(folder / "f.txt"), "new");
    EXPECT_EQ(ReadFile(folder / "ro.txt"), "old");
}

// Returns the archive's bytes with one byte changed at the first place where
// marker occurs (plus offset).
std::string Damaged(std::string bytes, const std::string& marker, std::ptrdiff_t offset, char value)
{
    const std::size_t at = bytes.find(marker);
    EXPECT_NE(at, std::string::npos) << marker;
    if (at != std::string::npos) bytes[at + offset] = value;
    return bytes;
}

TEST(ZipReader, DamagedArchives)
{
    ScratchFolder folder;
    MakeWithPython(folder / "a.zip",
                   "z.writestr('stored.txt', 'STORED-DATA-0123456789')\n"
                   "z.writestr('deflated.txt', 'deflated line of text ' * 200, zipfile.ZIP_DEFLATED)\n");
    const std::string good = ReadFile(folder / "a.zip");
    const std::size_t deflatedLocal = good.find("deflated.txt") - 30;
    const std::size_t deflatedCentral = good.rfind("deflated.txt") - 46;
    std::string badDeflate = good;
    badDeflate[deflatedLocal + 30 + 12 + 5] ^= 0x55;
    // Local and central record both claim 3 bytes of deflated data: the
    // stream then ends before it is complete.
    std::string shortDeflate = good;
    for (const std::size_t sizeField : {deflatedLocal + 18, deflatedCentral + 20}) {
        shortDeflate.replace(sizeField, 4, std::string("\x03\0\0\0", 4));
    }

    const struct {
        const char* what;
        std::string bytes;
        int index;
        ZipResult described;
        ZipResult extracted;
    } cases[] = {
        {"stored data changed", Damaged(good, "STORED-DATA", 3, 'X'), 0, ZipResult::Ok,
         ZipResult::InflateFailed},
        {"deflated data changed", badDeflate, 1, ZipResult::Ok, ZipResult::InflateFailed},
        {"deflated data cut short", shortDeflate, 1, ZipResult::Ok, ZipResult::InflateFailed},
        {"local size disagrees", Damaged(good, "PK\x03\x04", 18, 1), 0, ZipResult::CorruptEntry,
         ZipResult::CorruptEntry},
        {"local method differs", Damaged(good, "PK\x03\x04", 8, 8), 0, ZipResult::CorruptEntry,
         ZipResult::CorruptEntry},
        {"local signature broken", Damaged(good, "PK\x03\x04", 2, 9), 0, ZipResult::CorruptEntry,
         ZipResult::CorruptEntry},
    };
    for (const auto& c : cases) {
        std::unique_ptr<ZipReader> reader;
        ASSERT_EQ(ZipReader::Open(c.bytes.data(), c.bytes.size(), reader), ZipResult::Ok) << c.what;
        ZipEntryInfo info;
        EXPECT_EQ(reader->GetEntry(c.index, info), c.described) << c.what;
        EXPECT_EQ(reader->ExtractEntry(c.index, Wide(folder / "out.txt")), c.extracted) << c.what;
        std::vector<unsigned char> data;
        EXPECT_EQ(reader->ReadEntry(c.index, data), c.extracted) << c.what;
        EXPECT_TRUE(data.empty());
        // The other entry still reads.
        EXPECT_EQ(reader->ReadEntry(1 - c.index, data), ZipResult::Ok) << c.what;
    }

    const struct {
        const char* what;
        std::string bytes;
    } unopenable[] = {
        {"truncated in half", good.substr(0, good.size() / 2)},
        {"end record cut", good.substr(0, good.size() - 1)},
        {"entry count wrong", Damaged(good, "PK\x05\x06", 10, 3)},
        {"directory offset past its end", Damaged(good, "PK\x05\x06", 19, 0x7F)},
        {"central signature broken", Damaged(good, "PK\x01\x02", 3, 9)},
        {"spans disks", Damaged(good, "PK\x05\x06", 4, 1)},
    };
    for (const auto& c : unopenable) {
        std::unique_ptr<ZipReader> reader;
        EXPECT_EQ(ZipReader::Open(c.bytes.data(), c.bytes.size(), reader), ZipResult::CannotOpenFile)
            << c.what;
    }
}

TEST(ZipReader, EncryptedAndUnsupportedEntries)
{
    ScratchFolder folder;
    WriteFile(folder / "in" / "secret.txt", "secret");
    RunShell("cd " + Quote(folder / "in") + " && zip -q -P password ../enc.zip secret.txt");
    MakeWithPython(folder / "bz.zip", "z.writestr('secret.txt', 'secret' * 100, zipfile.ZIP_BZIP2)");
    const struct {
        const char* archive;
        ZipResult extracted;
    } cases[] = {{"enc.zip", ZipResult::PasswordRequired}, {"bz.zip", ZipResult::InflateFailed}};
    for (const auto& c : cases) {
        auto reader = OpenOrFail(folder / c.archive);
        ASSERT_TRUE(reader);
        ZipEntryInfo info;
        EXPECT_EQ(reader->GetEntry(0, info), ZipResult::Ok);
        EXPECT_EQ(reader->ExtractEntry(0, Wide(folder / "out.txt")), c.extracted) << c.archive;
        EXPECT_FALSE(fs::exists(folder / "out.txt")) << c.archive;
    }
}

TEST(ZipReader, ArchiveBehindAStub)
{
    // A self-extractor's program in front shifts every offset in the archive.
    ScratchFolder folder;
    MakeWithPython(folder / "a.zip", "z.writestr('f.txt', 'payload')");
    WriteFile(folder / "sfx.zip", std::string(1000, 'S') + ReadFile(folder / "a.zip"));
    std::vector<OracleEntry> expected;
    ASSERT_TRUE(ReadWithMinizip((folder / "sfx.zip").string(), expected));
    auto reader = OpenOrFail(folder / "sfx.zip");
    ASSERT_TRUE(reader);
    std::vector<unsigned char> data;
    ASSERT_EQ(reader->ReadEntry(0, data), ZipResult::Ok);
    EXPECT_EQ(std::string(data.begin(), data.end()), expected.at(0).data);
}

}  // namespace
}  // namespace archivetest
