// What the updater and the launcher rely on about the classroom client and
// its installation: executable names, its window class, its pipe, and the
// files the updater leaves in the installation's staging folder.
#pragma once

namespace client {

// The client's processes, found and ended by executable name.
inline constexpr wchar_t kMainExe[] = L"tuvora.exe";
inline constexpr wchar_t kSecondExe[] = L"zenboclient.exe";

// Top-level window class of the client's main window.
inline constexpr wchar_t kMainWindowClass[] = L"livora";

// Named pipe on which a running client accepts a link's tail.
inline constexpr wchar_t kPipeName[] = L"\\\\.\\Pipe\\RIVEVU_tvr";

// The protocol handler, installed beside kMainExe.
inline constexpr wchar_t kLauncherExe[] = L"TVRLaunch.exe";

// The updater runs from this folder of the installation and stages the
// package there; the launcher picks it up from there.
inline constexpr wchar_t kStagingFolder[] = L"temp";
inline constexpr wchar_t kStagedPackage[] = L"update.zip";
// The merged download; its segments add one digit 0 to 3 to this name.
inline constexpr wchar_t kMergedDownload[] = L"update.td";

}  // namespace client
