// Applies a package to a folder the way the launcher does (every entry
// checked in a staging folder, then moved into place) and prints the time
// taken in seconds. Usage: package_extract_bench <package.zip> <folder>
#include <chrono>
#include <cstdio>

#include "archive/package_extract.h"
#include "archive/zip_names.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <package.zip> <folder>\n", argv[0]);
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    const PackageExtractResult result = ExtractPackage(DecodeUtf8Name(argv[1]), DecodeUtf8Name(argv[2]));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!result.ok()) {
        std::fprintf(stderr, "extraction failed: opened %d damaged %d failed %d of %d\n", result.opened,
                     result.damaged, result.failedEntries, result.entryCount);
        return 1;
    }
    std::printf("%.3f\n", elapsed.count());
    return 0;
}
