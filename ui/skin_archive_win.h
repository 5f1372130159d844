// The skin package: a zip archive held as a resource of type "ZIPRES" in the
// program, read in place.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class ZipReader;

namespace ui {

class SkinArchive {
public:
    ~SkinArchive();
    SkinArchive(const SkinArchive&) = delete;
    SkinArchive& operator=(const SkinArchive&) = delete;

    // Null when the module has no such resource or it is not a zip archive.
    static std::unique_ptr<SkinArchive> Open(HINSTANCE module, int resourceId);

    // The entry's bytes, inflated and checked; false when it is missing or
    // damaged.
    bool Read(const std::wstring& name, std::vector<unsigned char>& data);

private:
    explicit SkinArchive(std::unique_ptr<ZipReader> reader);
    std::unique_ptr<ZipReader> reader_;
};

}  // namespace ui
