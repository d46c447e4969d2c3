// file.hpp - host file and mapping services used by the code-table loader.
//
// Each call mirrors one host service so that the loader's order of calls and
// its clean-up are the same on every host. Paths are NUL-terminated UTF-16
// and at most kMaxPath units with their terminator. Every service counts as
// one fault-injection point (FaultKind::kFile) in test builds.
#pragma once

#include <cstdint>

namespace zr::platform {

constexpr int kMaxPath = 260;

using FileHandle = std::intptr_t;     // kNoFile when none
using MappingHandle = std::intptr_t;  // kNoMapping when none
constexpr FileHandle kNoFile = -1;
constexpr MappingHandle kNoMapping = 0;

// The value of environment variable `name` (GetEnvironmentVariableW): its
// length in units without the terminator when it fits in `capacity` units,
// the size needed when it does not, 0 when unset.
std::uint32_t GetEnvironmentVariable(const char16_t* name, char16_t* buf, std::uint32_t capacity) noexcept;

// GetTempFileNameW(dir, prefix, 0, out): creates a new empty file with a
// unique name in `dir` and writes its path to `out` (kMaxPath units).
// Returns nonzero on success, 0 on failure (nothing created).
std::uint32_t GetTempFileName(const char16_t* dir, const char16_t* prefix, char16_t* out) noexcept;

// CreateFileW(path, GENERIC_WRITE, 0, NULL, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL).
FileHandle OpenExistingForWrite(const char16_t* path) noexcept;
// CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL).
FileHandle OpenExistingForReadWrite(const char16_t* path) noexcept;
// WriteFile: true only when all `size` bytes were written.
bool WriteFile(FileHandle file, const void* data, std::uint32_t size) noexcept;
// SetFilePointer(file, 0, NULL, FILE_BEGIN): true on success.
bool SeekToStart(FileHandle file) noexcept;
// CreateFileMappingA(file, NULL, PAGE_READWRITE, 0, 0, NULL).
MappingHandle CreateFileMapping(FileHandle file) noexcept;
// MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0): the whole file, writable.
void* MapViewOfFile(MappingHandle mapping) noexcept;
bool UnmapViewOfFile(void* view) noexcept;
bool CloseFile(FileHandle file) noexcept;
bool CloseMapping(MappingHandle mapping) noexcept;
// DeleteFileW.
bool DeleteFile(const char16_t* path) noexcept;

}  // namespace zr::platform
