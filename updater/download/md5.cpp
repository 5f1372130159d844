#include "updater/download/md5.h"

#include <cstring>
#include <vector>

#include "updater/download/staging_file.h"

namespace {

inline std::uint32_t RotateLeft(std::uint32_t x, int n)
{
    return (x << n) | (x >> (32 - n));
}

inline std::uint32_t LoadLittleEndian(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void StoreLittleEndian(std::uint32_t value, unsigned char* p)
{
    p[0] = static_cast<unsigned char>(value);
    p[1] = static_cast<unsigned char>(value >> 8);
    p[2] = static_cast<unsigned char>(value >> 16);
    p[3] = static_cast<unsigned char>(value >> 24);
}

// One step per auxiliary function. Each adds the word and the constant to
// `a` first, as they do not depend on the step before; only the auxiliary
// function waits for `b`, the newest value, and is written with the fewest
// operations after it: F = z ^ (x & (y ^ z)); G as a sum of its two
// disjoint terms, (x & z) + (y & ~z); H = x ^ (y ^ z); I = y ^ (x | ~z).
#define MD5_STEP_F(a, b, c, d, x, s, ac)  \
    do {                                  \
        (a) += (x) + (ac);                \
        (a) += (d) ^ ((b) & ((c) ^ (d))); \
        (a) = RotateLeft((a), (s)) + (b); \
    } while (0)
#define MD5_STEP_G(a, b, c, d, x, s, ac)  \
    do {                                  \
        (a) += (x) + (ac) + ((c) & ~(d)); \
        (a) += (b) & (d);                 \
        (a) = RotateLeft((a), (s)) + (b); \
    } while (0)
#define MD5_STEP_H(a, b, c, d, x, s, ac)  \
    do {                                  \
        (a) += (x) + (ac);                \
        (a) += (b) ^ ((c) ^ (d));         \
        (a) = RotateLeft((a), (s)) + (b); \
    } while (0)
#define MD5_STEP_I(a, b, c, d, x, s, ac)  \
    do {                                  \
        (a) += (x) + (ac);                \
        (a) += (c) ^ ((b) | ~(d));        \
        (a) = RotateLeft((a), (s)) + (b); \
    } while (0)
#define MD5_STEP(f, a, b, c, d, x, s, ac) MD5_STEP_##f(a, b, c, d, x, s, ac)

const std::size_t kFileBlockSize = 256 * 1024;

}  // namespace

MD5_CTX::MD5_CTX()
{
    std::memset(padding, 0, sizeof padding);
    padding[0] = 0x80;
    Reset();
}

void MD5_CTX::Reset()
{
    count[0] = count[1] = 0;
    state[0] = 0x67452301;
    state[1] = 0xefcdab89;
    state[2] = 0x98badcfe;
    state[3] = 0x10325476;
    std::memset(buffer, 0, sizeof buffer);
}

void MD5_CTX::Update(const unsigned char* input, std::size_t length)
{
    std::size_t index = (count[0] >> 3) & 0x3F;
    const std::uint64_t bits = static_cast<std::uint64_t>(length) << 3;
    const std::uint32_t oldLow = count[0];
    count[0] += static_cast<std::uint32_t>(bits);
    if (count[0] < oldLow) ++count[1];
    count[1] += static_cast<std::uint32_t>(bits >> 32);

    std::size_t i = 0;
    const std::size_t partLength = 64 - index;
    if (length >= partLength) {
        std::memcpy(&buffer[index], input, partLength);
        Transform(buffer);
        for (i = partLength; i + 63 < length; i += 64)
            Transform(&input[i]);
        index = 0;
    }
    if (length > i) std::memcpy(&buffer[index], &input[i], length - i);
}

void MD5_CTX::Final(unsigned char digest[kDigestSize])
{
    unsigned char bits[8];
    StoreLittleEndian(count[0], bits);
    StoreLittleEndian(count[1], bits + 4);
    const std::size_t index = (count[0] >> 3) & 0x3f;
    const std::size_t padLength = index < 56 ? 56 - index : 120 - index;
    Update(padding, padLength);
    Update(bits, 8);
    for (int i = 0; i < 4; ++i)
        StoreLittleEndian(state[i], digest + 4 * i);
    Reset();
}

void MD5_CTX::Transform(const unsigned char block[64])
{
    std::uint32_t x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLittleEndian(block + 4 * i);
    std::uint32_t a = state[0], b = state[1], c = state[2], d = state[3];

    MD5_STEP(F, a, b, c, d, x[0], 7, 0xd76aa478);
    MD5_STEP(F, d, a, b, c, x[1], 12, 0xe8c7b756);
    MD5_STEP(F, c, d, a, b, x[2], 17, 0x242070db);
    MD5_STEP(F, b, c, d, a, x[3], 22, 0xc1bdceee);
    MD5_STEP(F, a, b, c, d, x[4], 7, 0xf57c0faf);
    MD5_STEP(F, d, a, b, c, x[5], 12, 0x4787c62a);
    MD5_STEP(F, c, d, a, b, x[6], 17, 0xa8304613);
    MD5_STEP(F, b, c, d, a, x[7], 22, 0xfd469501);
    MD5_STEP(F, a, b, c, d, x[8], 7, 0x698098d8);
    MD5_STEP(F, d, a, b, c, x[9], 12, 0x8b44f7af);
    MD5_STEP(F, c, d, a, b, x[10], 17, 0xffff5bb1);
    MD5_STEP(F, b, c, d, a, x[11], 22, 0x895cd7be);
    MD5_STEP(F, a, b, c, d, x[12], 7, 0x6b901122);
    MD5_STEP(F, d, a, b, c, x[13], 12, 0xfd987193);
    MD5_STEP(F, c, d, a, b, x[14], 17, 0xa679438e);
    MD5_STEP(F, b, c, d, a, x[15], 22, 0x49b40821);

    MD5_STEP(G, a, b, c, d, x[1], 5, 0xf61e2562);
    MD5_STEP(G, d, a, b, c, x[6], 9, 0xc040b340);
    MD5_STEP(G, c, d, a, b, x[11], 14, 0x265e5a51);
    MD5_STEP(G, b, c, d, a, x[0], 20, 0xe9b6c7aa);
    MD5_STEP(G, a, b, c, d, x[5], 5, 0xd62f105d);
    MD5_STEP(G, d, a, b, c, x[10], 9, 0x02441453);
    MD5_STEP(G, c, d, a, b, x[15], 14, 0xd8a1e681);
    MD5_STEP(G, b, c, d, a, x[4], 20, 0xe7d3fbc8);
    MD5_STEP(G, a, b, c, d, x[9], 5, 0x21e1cde6);
    MD5_STEP(G, d, a, b, c, x[14], 9, 0xc33707d6);
    MD5_STEP(G, c, d, a, b, x[3], 14, 0xf4d50d87);
    MD5_STEP(G, b, c, d, a, x[8], 20, 0x455a14ed);
    MD5_STEP(G, a, b, c, d, x[13], 5, 0xa9e3e905);
    MD5_STEP(G, d, a, b, c, x[2], 9, 0xfcefa3f8);
    MD5_STEP(G, c, d, a, b, x[7], 14, 0x676f02d9);
    MD5_STEP(G, b, c, d, a, x[12], 20, 0x8d2a4c8a);

    MD5_STEP(H, a, b, c, d, x[5], 4, 0xfffa3942);
    MD5_STEP(H, d, a, b, c, x[8], 11, 0x8771f681);
    MD5_STEP(H, c, d, a, b, x[11], 16, 0x6d9d6122);
    MD5_STEP(H, b, c, d, a, x[14], 23, 0xfde5380c);
    MD5_STEP(H, a, b, c, d, x[1], 4, 0xa4beea44);
    MD5_STEP(H, d, a, b, c, x[4], 11, 0x4bdecfa9);
    MD5_STEP(H, c, d, a, b, x[7], 16, 0xf6bb4b60);
    MD5_STEP(H, b, c, d, a, x[10], 23, 0xbebfbc70);
    MD5_STEP(H, a, b, c, d, x[13], 4, 0x289b7ec6);
    MD5_STEP(H, d, a, b, c, x[0], 11, 0xeaa127fa);
    MD5_STEP(H, c, d, a, b, x[3], 16, 0xd4ef3085);
    MD5_STEP(H, b, c, d, a, x[6], 23, 0x04881d05);
    MD5_STEP(H, a, b, c, d, x[9], 4, 0xd9d4d039);
    MD5_STEP(H, d, a, b, c, x[12], 11, 0xe6db99e5);
    MD5_STEP(H, c, d, a, b, x[15], 16, 0x1fa27cf8);
    MD5_STEP(H, b, c, d, a, x[2], 23, 0xc4ac5665);

    MD5_STEP(I, a, b, c, d, x[0], 6, 0xf4292244);
    MD5_STEP(I, d, a, b, c, x[7], 10, 0x432aff97);
    MD5_STEP(I, c, d, a, b, x[14], 15, 0xab9423a7);
    MD5_STEP(I, b, c, d, a, x[5], 21, 0xfc93a039);
    MD5_STEP(I, a, b, c, d, x[12], 6, 0x655b59c3);
    MD5_STEP(I, d, a, b, c, x[3], 10, 0x8f0ccc92);
    MD5_STEP(I, c, d, a, b, x[10], 15, 0xffeff47d);
    MD5_STEP(I, b, c, d, a, x[1], 21, 0x85845dd1);
    MD5_STEP(I, a, b, c, d, x[8], 6, 0x6fa87e4f);
    MD5_STEP(I, d, a, b, c, x[15], 10, 0xfe2ce6e0);
    MD5_STEP(I, c, d, a, b, x[6], 15, 0xa3014314);
    MD5_STEP(I, b, c, d, a, x[13], 21, 0x4e0811a1);
    MD5_STEP(I, a, b, c, d, x[4], 6, 0xf7537e82);
    MD5_STEP(I, d, a, b, c, x[11], 10, 0xbd3af235);
    MD5_STEP(I, c, d, a, b, x[2], 15, 0x2ad7d2bb);
    MD5_STEP(I, b, c, d, a, x[9], 21, 0xeb86d391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

bool MD5_CTX::DigestFile(char* hexOut, const std::filesystem::path& file)
{
    StagingFile input = OpenStagingFile(file, "rb");
    if (!input) return false;
    // Memory stays the same whatever the file's size.
    std::vector<unsigned char> block(kFileBlockSize);
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), input.get());
        if (got > 0) Update(block.data(), got);
        if (got < block.size()) break;
    }
    if (std::ferror(input.get())) {
        Reset();
        return false;
    }
    unsigned char digest[kDigestSize];
    Final(digest);
    DigestToHex(digest, hexOut);
    return true;
}

void DigestToHex(const unsigned char digest[MD5_CTX::kDigestSize], char* hexOut)
{
    static const char kHexDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < MD5_CTX::kDigestSize; ++i) {
        hexOut[2 * i] = kHexDigits[digest[i] >> 4];
        hexOut[2 * i + 1] = kHexDigits[digest[i] & 0x0f];
    }
    hexOut[MD5_CTX::kHexSize] = '\0';
}

bool DigestMatches(const char* actualHex, const std::string& expected)
{
    const std::size_t size = std::strlen(actualHex);
    if (expected.size() != size) return false;
    for (std::size_t i = 0; i < size; ++i) {
        const auto lower = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(actualHex[i]) != lower(expected[i])) return false;
    }
    return true;
}
