// Scratch folders, fixture trees and the archivers the reader's tests use.
#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace archivetest {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / fs::u8path(name); }

private:
    fs::path path_;
};

std::wstring Wide(const fs::path& path);
void WriteFile(const fs::path& path, const std::string& bytes);
std::string ReadFile(const fs::path& path);

// Runs a shell command; fails the current test when it exits non-zero.
void RunShell(const std::string& command);
std::string Quote(const fs::path& path);

// Every file and folder below root: relative UTF-8 name -> contents, with
// folders as "<folder>".
std::map<std::string, std::string> Snapshot(const fs::path& root);

// A tree with what packages hold: nested folders, an empty folder, an empty
// file, a large compressible file, incompressible bytes and Chinese names.
void MakeSampleTree(const fs::path& root);

// The archivers the tests compare with: each packs the contents of folder
// (not the folder itself) into archive.
struct Archiver {
    const char* name;
    std::string (*command)(const fs::path& folder, const fs::path& archive);
};
const std::vector<Archiver>& Archivers();
inline void PrintTo(const Archiver& archiver, std::ostream* out) { *out << archiver.name; }

// Writes an archive with Python's zipfile from a script fragment that uses
// the open ZipFile `z` (for names and fields no archiver produces).
void MakeWithPython(const fs::path& archive, const std::string& body);

}  // namespace archivetest
