// file_win32.cpp - the code-table loader's file and mapping services on KERNEL32.
#include "platform/file.hpp"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// These are A/W-selecting macros in <windows.h>; the services below bear the
// same names and call the W or A entry points explicitly.
#undef GetEnvironmentVariable
#undef GetTempFileName
#undef CreateFileMapping
#undef DeleteFile

#include "platform/fault.hpp"

namespace zr::platform {
namespace {

LPCWSTR Wide(const char16_t* s) noexcept { return reinterpret_cast<LPCWSTR>(s); }
LPWSTR Wide(char16_t* s) noexcept { return reinterpret_cast<LPWSTR>(s); }
HANDLE Handle(std::intptr_t h) noexcept { return reinterpret_cast<HANDLE>(h); }
std::intptr_t Value(HANDLE h) noexcept { return reinterpret_cast<std::intptr_t>(h); }

// An injected fault stands for the service failing: it reports failure and
// does nothing, so every path that reacts to the failure is exercised.
bool Faulted() noexcept { return InjectFault(FaultKind::kFile); }

}  // namespace

// The host's own failure values line up with the handle constants:
// CreateFileW fails with INVALID_HANDLE_VALUE (-1 == kNoFile) and
// CreateFileMappingA with NULL (0 == kNoMapping).
static_assert(kNoFile == -1 && kNoMapping == 0);

std::uint32_t GetEnvironmentVariable(const char16_t* name, char16_t* buf, std::uint32_t capacity) noexcept {
    if (Faulted()) return 0;
    return ::GetEnvironmentVariableW(Wide(name), Wide(buf), capacity);
}

std::uint32_t GetTempFileName(const char16_t* dir, const char16_t* prefix, char16_t* out) noexcept {
    if (Faulted()) return 0;
    return ::GetTempFileNameW(Wide(dir), Wide(prefix), 0, Wide(out));
}

FileHandle OpenExistingForWrite(const char16_t* path) noexcept {
    if (Faulted()) return kNoFile;
    return Value(::CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

FileHandle OpenExistingForReadWrite(const char16_t* path) noexcept {
    if (Faulted()) return kNoFile;
    return Value(::CreateFileW(Wide(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr));
}

bool WriteFile(FileHandle file, const void* data, std::uint32_t size) noexcept {
    if (Faulted()) return false;
    DWORD written = 0;
    // A short write without an error (a full disk) is a failure too.
    return ::WriteFile(Handle(file), data, size, &written, nullptr) && written == size;
}

bool SeekToStart(FileHandle file) noexcept {
    if (Faulted()) return false;
    // Offset 0 cannot be confused with the failure value 0xFFFFFFFF, so the
    // result alone tells failure from success.
    return ::SetFilePointer(Handle(file), 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

MappingHandle CreateFileMapping(FileHandle file) noexcept {
    if (Faulted()) return kNoMapping;
    return Value(::CreateFileMappingA(Handle(file), nullptr, PAGE_READWRITE, 0, 0, nullptr));
}

void* MapViewOfFile(MappingHandle mapping) noexcept {
    if (Faulted()) return nullptr;
    return ::MapViewOfFile(Handle(mapping), FILE_MAP_WRITE, 0, 0, 0);
}

bool UnmapViewOfFile(void* view) noexcept {
    if (Faulted()) return false;
    return ::UnmapViewOfFile(view) != FALSE;
}

bool CloseFile(FileHandle file) noexcept {
    if (Faulted()) return false;
    return ::CloseHandle(Handle(file)) != FALSE;
}

bool CloseMapping(MappingHandle mapping) noexcept {
    if (Faulted()) return false;
    return ::CloseHandle(Handle(mapping)) != FALSE;
}

bool DeleteFile(const char16_t* path) noexcept {
    if (Faulted()) return false;
    return ::DeleteFileW(Wide(path)) != FALSE;
}

}  // namespace zr::platform
