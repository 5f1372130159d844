// The downloader against nginx on 127.0.0.1, side by side with curl + md5sum
// and aria2c: time to a verified package, with and without a per-connection
// rate limit, and the downloader's peak memory. See README.md.
//
//   download_bench [--sizes-mib 64,256] [--rounds 3] [--limited-rounds 1]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/http_server/nginx_server.h"
#include "updater/download/http_download.h"
#include "updater/download/md5.h"

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
};

// Runs a command line in a child process: its wall time and peak memory.
Run Timed(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

Run Shell(const std::string& command)
{
    return Timed({"/bin/sh", "-c", command});
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void MakePackage(const fs::path& file, std::size_t mib)
{
    std::FILE* out = std::fopen(file.c_str(), "wb");
    std::vector<std::uint32_t> block(256 * 1024);
    std::uint32_t x = 0x9e3779b9;
    for (std::size_t i = 0; i < mib * 4; ++i) {
        for (auto& word : block) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            word = x;
        }
        std::fwrite(block.data(), 1, block.size() * 4, out);
    }
    std::fclose(out);
}

std::string Md5OfFile(const fs::path& file)
{
    char hex[MD5_CTX::kHexSize + 1] = {};
    MD5_CTX context;
    context.DigestFile(hex, file);
    return hex;
}

// The child: one attempt into `folder`; exit 0 when it succeeded.
int DownloadOnly(const std::string& host, const std::string& path, const std::string& md5,
                 const std::string& folder)
{
    std::string h = host;
    std::string p = path;
    DownloadState state;
    state.expectedMd5 = md5;
    DownloadOptions options;
    options.folder = folder;
    return CHttpDownload::Download(h, p, state, options) == DownloadSucceeded ? 0 : 1;
}

struct Figures {
    double ours = 0, curl = 0, aria = 0;
    long oursPeakKiB = 0;
};

Figures Measure(const std::string& self, const NginxServer& nginx, const fs::path& scratch,
                const std::string& md5, int rounds)
{
    const std::string url = "http://" + nginx.host() + "/update.zip";
    std::vector<double> ours, curl, aria;
    long peak = 0;
    for (int round = 0; round < rounds; ++round) {
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        const Run own = Timed({self, "--download-only", nginx.host(), "/update.zip", md5, scratch.string()});
        if (own.status != 0) {
            std::fprintf(stderr, "our download failed\n");
            std::exit(1);
        }
        ours.push_back(own.seconds);
        peak = std::max(peak, own.peakKiB);

        fs::remove_all(scratch);
        fs::create_directories(scratch);
        const std::string target = (scratch / "curl.zip").string();
        const Run c = Shell("curl -s -o " + target + " " + url + " && md5sum " + target + " > /dev/null");
        if (c.status != 0) std::exit(1);
        curl.push_back(c.seconds);

        fs::remove_all(scratch);
        fs::create_directories(scratch);
        const Run a = Shell("aria2c -q -x4 -s4 --allow-overwrite=true --file-allocation=none -d " +
                            scratch.string() + " -o aria.zip " + url);
        if (a.status != 0) std::exit(1);
        aria.push_back(a.seconds);
    }
    fs::remove_all(scratch);
    return {Median(ours), Median(curl), Median(aria), peak};
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::string(argv[1]) == "--download-only") {
        return DownloadOnly(argv[2], argv[3], argv[4], argv[5]);
    }
    std::vector<std::size_t> sizes = {64, 256};
    int rounds = 3;
    int limitedRounds = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--rounds") rounds = std::atoi(argv[i + 1]);
        if (option == "--limited-rounds") limitedRounds = std::atoi(argv[i + 1]);
        if (option == "--sizes-mib") {
            sizes.clear();
            for (const char* p = argv[i + 1]; *p;) {
                char* end = nullptr;
                sizes.push_back(std::strtoul(p, &end, 10));
                p = *end ? end + 1 : end;
            }
        }
    }
    const std::string self = fs::canonical("/proc/self/exe").string();
    const fs::path work = fs::temp_directory_path() / ("download-bench-" + std::to_string(getpid()));
    const fs::path www = work / "www";
    const fs::path scratch = work / "scratch";
    fs::create_directories(www);

    std::printf("%-10s %-10s %9s %9s %9s %12s %12s %10s\n", "package", "limit", "ours s", "curl+md5",
                "aria2c", "ours/curl", "aria/curl", "peak MiB");
    for (const std::size_t mib : sizes) {
        MakePackage(www / "update.zip", mib);
        const std::string md5 = Md5OfFile(www / "update.zip");
        // Warm the page cache once.
        Shell("cat " + (www / "update.zip").string() + " > /dev/null");
        for (const bool limited : {false, true}) {
            if (limited && mib != sizes.back()) continue;
            NginxServer nginx(www, limited ? "limit_rate 20m;" : "");
            const Figures f = Measure(self, nginx, scratch, md5, limited ? limitedRounds : rounds);
            std::printf("%-10s %-10s %9.3f %9.3f %9.3f %12.3f %12.3f %10.1f\n",
                        (std::to_string(mib) + " MiB").c_str(), limited ? "20 MiB/s" : "none", f.ours, f.curl,
                        f.aria, f.ours / f.curl, f.aria / f.curl, f.oursPeakKiB / 1024.0);
            std::fflush(stdout);
        }
    }
    fs::remove_all(work);
    return 0;
}
