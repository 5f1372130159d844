#include "updater/download/md5.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string HexOf(const std::string& data, std::size_t piece)
{
    MD5_CTX context;
    for (std::size_t at = 0; at < data.size(); at += piece) {
        const std::size_t n = std::min(piece, data.size() - at);
        context.Update(reinterpret_cast<const unsigned char*>(data.data() + at), n);
    }
    unsigned char digest[MD5_CTX::kDigestSize];
    context.Final(digest);
    char hex[MD5_CTX::kHexSize + 1];
    DigestToHex(digest, hex);
    return hex;
}

const struct {
    const char* message;
    const char* digest;
} kRfc1321Suite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, Rfc1321SuiteInOnePieceAndInAnyPieces)
{
    for (const auto& c : kRfc1321Suite) {
        for (const std::size_t piece :
             {std::size_t{1}, std::size_t{3}, std::size_t{63}, std::size_t{64}, std::size_t{1000}}) {
            EXPECT_EQ(HexOf(c.message, piece), c.digest) << '"' << c.message << "\" in pieces of " << piece;
        }
    }
}

TEST(Md5, FinalStartsOver)
{
    MD5_CTX context;
    unsigned char digest[MD5_CTX::kDigestSize];
    context.Update(reinterpret_cast<const unsigned char*>("garbage"), 7);
    context.Final(digest);
    context.Update(reinterpret_cast<const unsigned char*>("abc"), 3);
    context.Final(digest);
    char hex[MD5_CTX::kHexSize + 1];
    DigestToHex(digest, hex);
    EXPECT_STREQ(hex, "900150983cd24fb0d6963f7d28e17f72");
}

class DigestFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() / ("h3-md5-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path Write(const std::string& name, const std::string& content)
    {
        const std::filesystem::path file = folder_ / name;
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }

    std::filesystem::path folder_;
};

TEST_F(DigestFileTest, DigestsFilesOfEveryBlockLayout)
{
    // Sizes around the reading block size, which the whole file must not fit in.
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{256 * 1024},
                                   std::size_t{256 * 1024 + 1}, std::size_t{1024 * 1024 + 7}}) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            content[i] = static_cast<char>((i * 131) ^ (i >> 9));
        char hex[MD5_CTX::kHexSize + 1] = {};
        MD5_CTX context;
        ASSERT_TRUE(context.DigestFile(hex, Write("f.bin", content))) << size;
        EXPECT_EQ(std::string(hex), HexOf(content, 4096)) << size;
    }
    char hex[MD5_CTX::kHexSize + 1] = {};
    MD5_CTX context;
    ASSERT_TRUE(context.DigestFile(hex, Write("a.txt", "message digest")));
    EXPECT_STREQ(hex, "f96b697d7cb7938d525a2f31aaf161d0");
}

TEST_F(DigestFileTest, MissingFileLeavesTheOutputEmpty)
{
    char hex[MD5_CTX::kHexSize + 1] = {};
    MD5_CTX context;
    EXPECT_FALSE(context.DigestFile(hex, folder_ / "missing.bin"));
    EXPECT_STREQ(hex, "");
    EXPECT_FALSE(DigestMatches(hex, "d41d8cd98f00b204e9800998ecf8427e"));
}

TEST(DigestMatches, IgnoresCaseOnlyAndTrimsNothing)
{
    const char actual[] = "0a0b0c0d0e0f00112233445566778899";
    struct {
        const char* expected;
        bool matches;
    } cases[] = {
        {"0a0b0c0d0e0f00112233445566778899", true},
        {"0A0B0C0D0E0F00112233445566778899", true},
        {"0a0B0c0D0e0F00112233445566778899", true},
        {" 0a0b0c0d0e0f00112233445566778899", false},
        {"0a0b0c0d0e0f0011223344556677889", false},
        {"a0b0c0d0e0f00112233445566778899", false},
        {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DigestMatches(actual, c.expected), c.matches) << c.expected;
}

}  // namespace
