// http_fault_server: the fault-injecting test server (TestHttpServer) as a
// program of its own, for the end-to-end scenarios. Cross-built and run
// under Wine beside the updater; serves one body at any path on 127.0.0.1
// and a free port.
//
//   http_fault_server --body FILE --port-file FILE [--requests-file FILE]
//                     [--fault NAME] [--fault-from N] [--fault-to N]
//                     [--fault-path PATH] [--fault-bytes N] [--location URL]
//                     [--drip-bytes N] [--drip-ms N] [--seconds N]
//
// --fault takes a ServerFault name (None, IgnoreRange, Redirect, NotFound,
// RangeNotSatisfiable, NotHttp, NoHead, Silent, StallBeforeBody,
// StallAfterBytes, ResetAfterBytes, SlowDrip, NoLength); the fault applies
// to the requests numbered --fault-from to --fault-to (counted from 1; 0 for
// no end) for --fault-path (any path when not given).
//
// Once it listens, the port is written (whole, under its final name) to the
// port file. Every request's head, up to and including its blank line, is
// appended to the requests file as it arrives. The server runs until it is
// ended, or for --seconds (default 900) at most.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include "tests/fixtures/utf8_win.h"
#include "tests/http_server/test_http_server.h"

namespace {

const std::map<std::string, ServerFault> kFaults = {
    {"None", ServerFault::None},
    {"IgnoreRange", ServerFault::IgnoreRange},
    {"Redirect", ServerFault::Redirect},
    {"NotFound", ServerFault::NotFound},
    {"RangeNotSatisfiable", ServerFault::RangeNotSatisfiable},
    {"NotHttp", ServerFault::NotHttp},
    {"NoHead", ServerFault::NoHead},
    {"Silent", ServerFault::Silent},
    {"StallBeforeBody", ServerFault::StallBeforeBody},
    {"StallAfterBytes", ServerFault::StallAfterBytes},
    {"ResetAfterBytes", ServerFault::ResetAfterBytes},
    {"SlowDrip", ServerFault::SlowDrip},
    {"NoLength", ServerFault::NoLength},
};

bool WriteWhole(const std::wstring& path, const std::string& bytes)
{
    const std::wstring partial = path + L".part";
    {
        std::ofstream out(std::filesystem::path(partial), std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return false;
    }
    return MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

int Usage(const char* problem)
{
    std::fprintf(stderr, "http_fault_server: %s\n", problem);
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    std::map<std::wstring, std::wstring> args;
    for (int i = 1; i + 1 < argc; i += 2)
        args[argv[i]] = argv[i + 1];
    if (argc % 2 == 0) return Usage("options come in pairs: --name value");

    auto number = [&args](const wchar_t* name, long long fallback) {
        const auto found = args.find(name);
        return found == args.end() ? fallback : std::wcstoll(found->second.c_str(), nullptr, 10);
    };
    auto text = [&args](const wchar_t* name) {
        const auto found = args.find(name);
        return found == args.end() ? std::string() : Utf8(found->second);
    };

    if (!args.count(L"--body") || !args.count(L"--port-file"))
        return Usage("--body and --port-file are needed");
    std::ifstream in{std::filesystem::path(args[L"--body"]), std::ios::binary};
    if (!in) return Usage("the body file cannot be read");
    std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    ServerOptions options;
    if (args.count(L"--fault")) {
        const auto fault = kFaults.find(text(L"--fault"));
        if (fault == kFaults.end()) return Usage("unknown fault");
        options.fault = fault->second;
    }
    options.faultFromRequest = static_cast<int>(number(L"--fault-from", 1));
    options.faultToRequest = static_cast<int>(number(L"--fault-to", 0));
    options.faultPath = text(L"--fault-path");
    options.location = text(L"--location");
    options.faultBytes = static_cast<std::size_t>(number(L"--fault-bytes", 0));
    options.dripBytes = static_cast<std::size_t>(number(L"--drip-bytes", 64));
    options.dripInterval = std::chrono::milliseconds(number(L"--drip-ms", 50));
    const auto lifetime = std::chrono::seconds(number(L"--seconds", 900));

    TestHttpServer server(std::move(body), options);
    if (!WriteWhole(args[L"--port-file"], std::to_string(server.port()) + "\n"))
        return Usage("the port file cannot be written");
    std::printf("listening on %s\n", server.host().c_str());
    std::fflush(stdout);

    const bool record = args.count(L"--requests-file") != 0;
    std::ofstream requests;
    if (record)
        requests.open(std::filesystem::path(args[L"--requests-file"]), std::ios::binary | std::ios::app);
    std::size_t written = 0;
    const auto end = std::chrono::steady_clock::now() + lifetime;
    while (std::chrono::steady_clock::now() < end) {
        if (record) {
            const std::vector<std::string> heads = server.requests();
            for (; written < heads.size(); ++written)
                requests << heads[written];
            requests.flush();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return 0;
}
