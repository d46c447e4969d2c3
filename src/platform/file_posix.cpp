// file_posix.cpp - the file and mapping services of file.hpp on POSIX hosts.
//
// Paths arrive as UTF-16 and go to the host as UTF-8. Every service asks the
// fault hook first so that tests can fail any one of them and watch the
// caller clean up.
#include "platform/file.hpp"

#include <errno.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/fault.hpp"

namespace zr::platform {
namespace {

// A path of kMaxPath UTF-16 units takes at most three UTF-8 bytes a unit (a
// surrogate pair, two units, takes four).
constexpr std::size_t kMaxPathBytes = 3 * kMaxPath + 1;

// UTF-16 to UTF-8 into `out`; false for a lone surrogate, a path longer than
// kMaxPath units, or a null path, none of which the host could be asked for.
bool PathToUtf8(const char16_t* path, char (&out)[kMaxPathBytes]) noexcept {
    if (!path) return false;
    std::size_t o = 0;
    for (int i = 0; path[i] != 0; ++i) {
        if (i >= kMaxPath - 1) return false;
        std::uint32_t c = path[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            const std::uint32_t lo = path[i + 1];
            if (lo < 0xDC00 || lo > 0xDFFF) return false;
            c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
        if (c < 0x80) {
            out[o++] = static_cast<char>(c);
        } else if (c < 0x800) {
            out[o++] = static_cast<char>(0xC0 | (c >> 6));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out[o++] = static_cast<char>(0xE0 | (c >> 12));
            out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out[o++] = static_cast<char>(0xF0 | (c >> 18));
            out[o++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out[o] = 0;
    return true;
}

// UTF-8 to UTF-16. Writes the units and a terminator when they fit in
// `capacity` units and returns the unit count without the terminator; the
// count is returned in any case, -1 for malformed UTF-8 (host text that no
// UTF-16 path could name).
long Utf8ToUtf16(const char* s, char16_t* out, std::size_t capacity) noexcept {
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    std::size_t n = 0;
    const auto put = [&](std::uint32_t u) noexcept {
        if (n + 1 < capacity) out[n] = static_cast<char16_t>(u);
        ++n;
    };
    while (*p) {
        std::uint32_t c = *p;
        int extra = 0;
        std::uint32_t min = 0;
        if (c < 0x80) {
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, c &= 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, c &= 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, c &= 0x07, min = 0x10000;
        } else {
            return -1;
        }
        ++p;
        for (int k = 0; k < extra; ++k, ++p) {
            if ((*p & 0xC0) != 0x80) return -1;
            c = (c << 6) | (*p & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return -1;
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    if (n < capacity) out[n] = 0;
    return static_cast<long>(n);
}

// A mapping object of this host is the file descriptor (its own duplicate,
// so that the file handle may be closed first as on other hosts) and the
// file's size at the time the mapping was made.
struct Mapping {
    int fd;
    std::size_t size;
};

// munmap needs the length that UnmapViewOfFile is not given: every view is
// placed one page after a private header page that records it.
struct ViewHeader {
    std::size_t length;  // header page and view together
};

std::size_t PageSize() noexcept {
    const long p = sysconf(_SC_PAGESIZE);
    return p > 0 ? static_cast<std::size_t>(p) : 4096;
}

// Numbers for temporary names: a per-process start mixed from the clock and
// the process id, then one step per attempt, so that processes starting in
// the same instant still try different names first.
std::uint32_t NextTempNumber() noexcept {
    static std::atomic<std::uint32_t> counter{0};
    static std::atomic<bool> seeded{false};
    if (!seeded.exchange(true)) {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        const std::uint32_t seed = static_cast<std::uint32_t>(ts.tv_nsec) ^
                                   (static_cast<std::uint32_t>(getpid()) << 16) ^
                                   static_cast<std::uint32_t>(ts.tv_sec);
        counter.fetch_add(seed * 2654435761u);
    }
    return counter.fetch_add(0x9E3779B9u);
}

}  // namespace

std::uint32_t GetEnvironmentVariable(const char16_t* name, char16_t* buf, std::uint32_t capacity) noexcept {
    if (InjectFault(FaultKind::kFile)) return 0;
    char key[kMaxPathBytes];
    if (!PathToUtf8(name, key)) return 0;
    const char* value = std::getenv(key);
    if (!value || !*value) return 0;
    const long n = Utf8ToUtf16(value, buf, buf ? capacity : 0);
    if (n < 0) return 0;
    const auto units = static_cast<std::uint32_t>(n);
    return units < capacity ? units : units + 1;
}

std::uint32_t GetTempFileName(const char16_t* dir, const char16_t* prefix, char16_t* out) noexcept {
    if (InjectFault(FaultKind::kFile)) return 0;
    char d[kMaxPathBytes], pre[kMaxPathBytes];
    if (!out || !PathToUtf8(dir, d) || !PathToUtf8(prefix, pre) || !*d) return 0;
    // As with the host this mirrors, only the first three prefix characters
    // count.
    std::size_t preLen = std::strlen(pre);
    if (preLen > 3) preLen = 3;
    const std::size_t dirLen = std::strlen(d);
    const bool slash = d[dirLen - 1] == '/';
    for (int attempt = 0; attempt < 256; ++attempt) {
        char path[kMaxPathBytes + 32];
        std::memcpy(path, d, dirLen);
        std::size_t o = dirLen;
        if (!slash) path[o++] = '/';
        std::memcpy(path + o, pre, preLen);
        o += preLen;
        static const char kHex[] = "0123456789ABCDEF";
        const std::uint32_t num = NextTempNumber();
        for (int k = 7; k >= 0; --k) path[o++] = kHex[(num >> (4 * k)) & 0xF];
        std::memcpy(path + o, ".tmp", 5);
        char16_t wide[kMaxPath];
        const long units = Utf8ToUtf16(path, wide, kMaxPath);
        if (units < 0 || units >= kMaxPath) return 0;
        // O_EXCL with O_NOFOLLOW: the name is new and ours, never a link
        // somebody planted in a shared directory.
        const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST || errno == EINTR) continue;
            return 0;
        }
        close(fd);
        std::memcpy(out, wide, (static_cast<std::size_t>(units) + 1) * sizeof(char16_t));
        return num == 0 ? 1 : num;
    }
    return 0;
}

FileHandle OpenExistingForWrite(const char16_t* path) noexcept {
    if (InjectFault(FaultKind::kFile)) return kNoFile;
    char p[kMaxPathBytes];
    if (!PathToUtf8(path, p)) return kNoFile;
    const int fd = open(p, O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    return fd < 0 ? kNoFile : fd;
}

FileHandle OpenExistingForReadWrite(const char16_t* path) noexcept {
    if (InjectFault(FaultKind::kFile)) return kNoFile;
    char p[kMaxPathBytes];
    if (!PathToUtf8(path, p)) return kNoFile;
    const int fd = open(p, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    return fd < 0 ? kNoFile : fd;
}

bool WriteFile(FileHandle file, const void* data, std::uint32_t size) noexcept {
    if (InjectFault(FaultKind::kFile)) return false;
    if (file == kNoFile || (size != 0 && !data)) return false;
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t w = write(static_cast<int>(file), p, size);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) return false;
        p += w;
        size -= static_cast<std::uint32_t>(w);
    }
    return true;
}

bool SeekToStart(FileHandle file) noexcept {
    if (InjectFault(FaultKind::kFile)) return false;
    if (file == kNoFile) return false;
    return lseek(static_cast<int>(file), 0, SEEK_SET) == 0;
}

MappingHandle CreateFileMapping(FileHandle file) noexcept {
    if (InjectFault(FaultKind::kFile)) return kNoMapping;
    if (file == kNoFile) return kNoMapping;
    struct stat st {};
    // An empty file cannot be mapped whole, as on the host this mirrors.
    if (fstat(static_cast<int>(file), &st) != 0 || st.st_size <= 0) return kNoMapping;
    auto* m = new (std::nothrow) Mapping{-1, static_cast<std::size_t>(st.st_size)};
    if (!m) return kNoMapping;
    m->fd = fcntl(static_cast<int>(file), F_DUPFD_CLOEXEC, 0);
    if (m->fd < 0) {
        delete m;
        return kNoMapping;
    }
    return reinterpret_cast<MappingHandle>(m);
}

void* MapViewOfFile(MappingHandle mapping) noexcept {
    if (InjectFault(FaultKind::kFile)) return nullptr;
    if (mapping == kNoMapping) return nullptr;
    const auto* m = reinterpret_cast<const Mapping*>(mapping);
    const std::size_t page = PageSize();
    const std::size_t length = page + m->size;
    // Reserve the header page and the view together, then put the file over
    // all but the first page.
    void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) return nullptr;
    auto* header = static_cast<unsigned char*>(base);
    void* view = mmap(header + page, m->size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_FIXED, m->fd, 0);
    if (view == MAP_FAILED) {
        munmap(base, length);
        return nullptr;
    }
    reinterpret_cast<ViewHeader*>(header)->length = length;
    return view;
}

bool UnmapViewOfFile(void* view) noexcept {
    if (InjectFault(FaultKind::kFile)) return false;
    if (!view) return false;
    auto* header = static_cast<unsigned char*>(view) - PageSize();
    const std::size_t length = reinterpret_cast<const ViewHeader*>(header)->length;
    return munmap(header, length) == 0;
}

bool CloseFile(FileHandle file) noexcept {
    if (InjectFault(FaultKind::kFile)) return false;
    if (file == kNoFile) return false;
    return close(static_cast<int>(file)) == 0;
}

bool CloseMapping(MappingHandle mapping) noexcept {
    if (InjectFault(FaultKind::kFile)) return false;
    if (mapping == kNoMapping) return false;
    auto* m = reinterpret_cast<Mapping*>(mapping);
    const bool ok = close(m->fd) == 0;
    delete m;
    return ok;
}

bool DeleteFile(const char16_t* path) noexcept {
    if (InjectFault(FaultKind::kFile)) return false;
    char p[kMaxPathBytes];
    if (!PathToUtf8(path, p)) return false;
    return unlink(p) == 0;
}

}  // namespace zr::platform
