// Runs beside the Wine test of the downloader: serves a package from the
// test server on 127.0.0.1 and downloads it through Winsock into this
// program's own folder, as the updater does from the installation's temp
// folder. Prints the result; exits 0 when the package arrived intact.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/http_server/test_http_server.h"
#include "updater/download/http_download.h"
#include "updater/download/md5.h"
#include "updater/platform.h"

namespace {

std::string Md5Of(const std::string& data)
{
    MD5_CTX context;
    context.Update(reinterpret_cast<const unsigned char*>(data.data()), data.size());
    unsigned char digest[MD5_CTX::kDigestSize];
    context.Final(digest);
    char hex[MD5_CTX::kHexSize + 1];
    DigestToHex(digest, hex);
    return hex;
}

}  // namespace

int main()
{
    const std::filesystem::path folder(GetModuleDir());
    // An old package is replaced by the new one.
    std::ofstream(folder / "update.zip", std::ios::binary) << "old package";

    const std::string body = PatternBody(5 * 1024 * 1024 + 3);
    TestHttpServer server(body);
    std::string host = server.host();
    std::string path = "/pkg/update.zip";
    DownloadState state;
    state.expectedMd5 = Md5Of(body);
    const int result = CHttpDownload::Download(host, path, state);

    std::ifstream in(folder / "update.zip", std::ios::binary);
    const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("result=%d bytesDone=%lld totalSize=%lld md5=%s\n", result,
                static_cast<long long>(state.bytesDone), static_cast<long long>(state.totalSize),
                state.expectedMd5.c_str());
    std::fflush(stdout);
    return result == DownloadSucceeded && got == body ? 0 : 1;
}
