#include "archive_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "archive/zip_names.h"

namespace archivetest {

ScratchFolder::ScratchFolder()
{
    std::string pattern = (fs::temp_directory_path() / "archive-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
    path_ = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    // Read-only files and folders must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(path_, ignored); it != fs::recursive_directory_iterator();
         it.increment(ignored)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::remove_all(path_, ignored);
}

std::wstring Wide(const fs::path& path)
{
    return DecodeUtf8Name(path.u8string());
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void RunShell(const std::string& command)
{
    const int status = std::system(command.c_str());
    ASSERT_EQ(status, 0) << command;
}

std::string Quote(const fs::path& path)
{
    return "'" + path.string() + "'";
}

std::map<std::string, std::string> Snapshot(const fs::path& root)
{
    std::map<std::string, std::string> tree;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).u8string();
        tree[name] = entry.is_directory() ? "<folder>" : ReadFile(entry.path());
    }
    return tree;
}

void MakeSampleTree(const fs::path& root)
{
    WriteFile(root / "readme.txt", "hello\n");
    WriteFile(root / "empty.dat", "");
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += "line " + std::to_string(i % 97) + " of a compressible file\n";
    WriteFile(root / "sub" / "deeper" / "big.txt", text);
    std::mt19937 random(7);
    std::string noise(200000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    WriteFile(root / "sub" / "noise.bin", noise);
    WriteFile(root / fs::u8path(u8"中文目录") / fs::u8path(u8"说明.txt"), u8"中文内容\n");
    fs::create_directories(root / "emptyfolder");
}

const std::vector<Archiver>& Archivers()
{
    static const std::vector<Archiver> archivers = {
        {"zip",
         [](const fs::path& folder, const fs::path& archive) {
             return "cd " + Quote(folder) + " && zip -qr " + Quote(archive) + " .";
         }},
        {"7z",
         [](const fs::path& folder, const fs::path& archive) {
             return "cd " + Quote(folder) + " && 7z a -tzip -bd -bso0 -bsp0 " + Quote(archive) + " .";
         }},
        // Streams its output: sizes and CRC follow the data in descriptors.
        {"bsdtar",
         [](const fs::path& folder, const fs::path& archive) {
             return "bsdtar -a -cf " + Quote(archive) + " -C " + Quote(folder) + " .";
         }},
        {"bsdtar_zip64",
         [](const fs::path& folder, const fs::path& archive) {
             return "bsdtar --options zip:zip64 -a -cf " + Quote(archive) + " -C " + Quote(folder) + " .";
         }},
        {"python",
         [](const fs::path& folder, const fs::path& archive) {
             // Writes each file's header again once its data is known.
             return "python3 -c 'import os, sys, zipfile\n"
                    "root, out = sys.argv[1], sys.argv[2]\n"
                    "with zipfile.ZipFile(out, \"w\", zipfile.ZIP_DEFLATED) as z:\n"
                    "    for d, dirs, names in sorted(os.walk(root)):\n"
                    "        for n in sorted(dirs): z.write(os.path.join(d, n), "
                    "os.path.relpath(os.path.join(d, n), root))\n"
                    "        for n in sorted(names):\n"
                    "            p = os.path.join(d, n)\n"
                    "            info = zipfile.ZipInfo.from_file(p, os.path.relpath(p, root))\n"
                    "            info.compress_type = zipfile.ZIP_DEFLATED\n"
                    "            with open(p, \"rb\") as f, z.open(info, \"w\") as w: w.write(f.read())\n"
                    "' " +
                    Quote(folder) + " " + Quote(archive);
         }},
    };
    return archivers;
}

void MakeWithPython(const fs::path& archive, const std::string& body)
{
    std::string indented;
    std::istringstream lines(body);
    for (std::string line; std::getline(lines, line);)
        indented += "    " + line + "\n";
    const std::string script =
        "import sys, zipfile\nwith zipfile.ZipFile(sys.argv[1], 'w') as z:\n" + indented;
    ScratchFolder folder;
    WriteFile(folder / "make.py", script);
    RunShell("python3 " + Quote(folder / "make.py") + " " + Quote(archive));
}

}  // namespace archivetest
