#include "ui/skin_archive_win.h"

#include "archive/zip_reader.h"

namespace ui {

SkinArchive::SkinArchive(std::unique_ptr<ZipReader> reader) : reader_(std::move(reader)) {}
SkinArchive::~SkinArchive() = default;

std::unique_ptr<SkinArchive> SkinArchive::Open(HINSTANCE module, int resourceId)
{
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"ZIPRES");
    if (!info) return nullptr;
    // A module's resources stay mapped as long as the module: nothing to free.
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(module, info);
    if (!data || size == 0) return nullptr;
    std::unique_ptr<ZipReader> reader;
    if (ZipReader::Open(data, size, reader) != ZipResult::Ok || !reader) return nullptr;
    return std::unique_ptr<SkinArchive>(new SkinArchive(std::move(reader)));
}

bool SkinArchive::Read(const std::wstring& name, std::vector<unsigned char>& data)
{
    const int index = reader_->FindEntry(name);
    return index >= 0 && reader_->ReadEntry(index, data) == ZipResult::Ok;
}

}  // namespace ui
