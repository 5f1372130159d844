// Random-access reading of an archive, from a file or from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct ByteSource {
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Reads exactly length bytes at offset; false when they are not all there.
    virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) = 0;
};

// Bytes owned by someone else, who keeps them alive.
class MemoryByteSource : public ByteSource {
public:
    MemoryByteSource(const void* data, std::size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size)
    {
    }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t length) override
    {
        if (offset > size_ || length > size_ - offset) return false;
        if (length != 0) std::memcpy(buffer, data_ + offset, length);
        return true;
    }

private:
    const unsigned char* data_;
    std::size_t size_;
};
