#include "library_imports.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mfgtool {
namespace {

ImportRedirect g_redirect;

const char* redirected(const char* path) {
    if (!path) return path;
    std::string key(path);
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    const auto found = g_redirect.files.find(key);
    return found == g_redirect.files.end() ? path : found->second.c_str();
}

// The functions the slots held before they were re-pointed.  The wrappers
// call these, never the names: in this program's own import table (the core
// linked in, mfglist explain) the names lead back to the wrappers.
std::map<std::string, void*> g_original;

template <typename Function>
Function original(const char* name, Function linked) {
    const auto found = g_original.find(name);
    return found == g_original.end() ? linked : reinterpret_cast<Function>(found->second);
}

HANDLE WINAPI createFile(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                         DWORD disposition, DWORD flags, HANDLE templateFile) {
    return original("CreateFileA", &CreateFileA)(redirected(path), access, share, security,
                                                 disposition, flags, templateFile);
}
BOOL WINAPI copyFile(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    return original("CopyFileA", &CopyFileA)(redirected(from), redirected(to), failIfExists);
}
BOOL WINAPI deleteFile(LPCSTR path) {
    return original("DeleteFileA", &DeleteFileA)(redirected(path));
}
HANDLE WINAPI findFirstFile(LPCSTR path, LPWIN32_FIND_DATAA data) {
    return original("FindFirstFileA", &FindFirstFileA)(redirected(path), data);
}
DWORD WINAPI fileAttributes(LPCSTR path) {
    return original("GetFileAttributesA", &GetFileAttributesA)(redirected(path));
}
BOOL WINAPI moveFile(LPCSTR from, LPCSTR to, DWORD flags) {
    return original("MoveFileExA", &MoveFileExA)(redirected(from), redirected(to), flags);
}
DWORD WINAPI readProfile(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer, DWORD size,
                         LPCSTR file) {
    return original("GetPrivateProfileStringA", &GetPrivateProfileStringA)(
        section, key, fallback, buffer, size, redirected(file));
}
BOOL WINAPI writeProfile(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    return original("WritePrivateProfileStringA", &WritePrivateProfileStringA)(section, key, value,
                                                                               redirected(file));
}
BOOL WINAPI versionEx(LPOSVERSIONINFOA info) {
    if (!original("GetVersionExA", &GetVersionExA)(info) || !g_redirect.version)
        return info ? TRUE : FALSE;
    info->dwMajorVersion = g_redirect.version->first;
    info->dwMinorVersion = g_redirect.version->second;
    info->dwBuildNumber = g_redirect.version->first == 6 ? 6002 : 2600;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    if (info->dwOSVersionInfoSize >= sizeof(OSVERSIONINFOEXA))
        reinterpret_cast<OSVERSIONINFOEXA*>(info)->wProductType = VER_NT_WORKSTATION;
    return TRUE;
}

UINT WINAPI systemDirectory(LPSTR buffer, UINT size) {
    if (g_redirect.systemDirectory.empty())
        return original("GetSystemDirectoryA", &GetSystemDirectoryA)(buffer, size);
    const std::string& dir = g_redirect.systemDirectory;
    if (!buffer || size <= dir.size()) return static_cast<UINT>(dir.size() + 1);
    std::memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<UINT>(dir.size());
}
void WINAPI debugOutput(LPCSTR text) {
    if (!g_redirect.quietDebugger) original("OutputDebugStringA", &OutputDebugStringA)(text);
}
FILE* __cdecl openStream(const char* path, const char* mode) {
    using Open = FILE*(__cdecl*)(const char*, const char*);
    return original("fopen", static_cast<Open>(&std::fopen))(redirected(path), mode);
}

template <typename Function>
void* address(Function function) {
    return reinterpret_cast<void*>(function);
}

}  // namespace

void redirectLibraryImports(HMODULE library, const ImportRedirect& redirect) {
    g_redirect = redirect;
    const std::map<std::string, void*> replacements = {
        {"CreateFileA", address(&createFile)},
        {"CopyFileA", address(&copyFile)},
        {"DeleteFileA", address(&deleteFile)},
        {"FindFirstFileA", address(&findFirstFile)},
        {"GetFileAttributesA", address(&fileAttributes)},
        {"MoveFileExA", address(&moveFile)},
        {"GetPrivateProfileStringA", address(&readProfile)},
        {"WritePrivateProfileStringA", address(&writeProfile)},
        {"GetVersionExA", address(&versionEx)},
        {"GetSystemDirectoryA", address(&systemDirectory)},
        {"OutputDebugStringA", address(&debugOutput)},
        {"fopen", address(&openStream)},
    };
    auto* base = reinterpret_cast<BYTE*>(library);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return;
    for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name; ++module) {
        // The name table stays as linked; the address table holds what is called.
        const DWORD names =
            module->OriginalFirstThunk ? module->OriginalFirstThunk : module->FirstThunk;
        auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + names);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; name->u1.AddressOfData; ++name, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
            const auto found = replacements.find(reinterpret_cast<const char*>(byName->Name));
            if (found == replacements.end()) continue;
            // Only what the slot held before any redirect is the real function.
            const auto mine =
                std::find_if(replacements.begin(), replacements.end(), [&](const auto& r) {
                    return reinterpret_cast<ULONG_PTR>(r.second) == slot->u1.Function;
                });
            if (mine == replacements.end())
                g_original.emplace(found->first, reinterpret_cast<void*>(slot->u1.Function));
            DWORD old = 0;
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), PAGE_READWRITE, &old);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(found->second);
            VirtualProtect(&slot->u1.Function, sizeof(slot->u1.Function), old, &old);
        }
    }
}

}  // namespace mfgtool
