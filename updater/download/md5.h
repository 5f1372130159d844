// The MD5 message digest (RFC 1321) and the digest of a whole file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

class MD5_CTX {
public:
    static constexpr std::size_t kDigestSize = 16;
    static constexpr std::size_t kHexSize = 2 * kDigestSize;  // without the terminating zero

    MD5_CTX();
    virtual ~MD5_CTX() = default;

    void Update(const unsigned char* input, std::size_t length);
    // Writes the digest and starts over, as freshly constructed.
    void Final(unsigned char digest[kDigestSize]);

    // Reads the file in blocks and writes its digest as 32 lower-case hex
    // digits and a zero into `hexOut` (kHexSize + 1 bytes). False, with
    // `hexOut` untouched, when the file cannot be opened or read.
    bool DigestFile(char* hexOut, const std::filesystem::path& file);

private:
    void Reset();
    void Transform(const unsigned char block[64]);

    std::uint32_t state[4];
    std::uint32_t count[2];  // bits processed, low word first
    unsigned char buffer[64];
    unsigned char padding[64];
};

// The 16 digest bytes as 32 lower-case hex digits and a terminating zero.
void DigestToHex(const unsigned char digest[MD5_CTX::kDigestSize], char* hexOut);

// The downloader's check: equal ignoring ASCII case, nothing trimmed.
bool DigestMatches(const char* actualHex, const std::string& expected);
