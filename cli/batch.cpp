// cli/batch.cpp - converting many files in place, in parallel.
#include "batch.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

// MinGW's win32 thread model (the one the DLLs are built with) has no
// std::thread; there the files are converted one after the other.
#if defined(__MINGW32__) && !defined(_GLIBCXX_HAS_GTHREADS)
#define ZRCLI_NO_THREADS 1
#else
#include <mutex>
#include <thread>
#endif

namespace zrcli {
namespace {

namespace fs = std::filesystem;

// The temporary file a result is written to, beside the file it replaces
// (a rename across file systems would not be atomic). Removed unless Keep()
// is called after it has been renamed into place.
class TempFile : public Sink {
public:
    TempFile(const fs::path& dir, const std::string& base, const std::string& name) : name_(name) {
        std::string tmpl = (dir / ("." + base + ".zrmoji-XXXXXX")).string();
        const int fd = mkstemp(tmpl.data());
        if (fd < 0)
            Fail(kExitRefused, Format("%s: cannot create a temporary file beside it: %s",
                                      name.c_str(), std::strerror(errno)));
        path_ = tmpl;
        guard_ = GuardTempFile(path_);
        f_ = fdopen(fd, "wb");
        if (!f_) {
            close(fd);
            Discard();
            Fail(kExitRefused, Format("%s: cannot create a temporary file", name.c_str()));
        }
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() override { Discard(); }

    void Write(const void* data, std::size_t size) override {
        if (size != 0 && std::fwrite(data, 1, size, f_) != size)
            Fail(kExitRefused, Format("%s: cannot write the temporary file: %s", name_.c_str(),
                                      std::strerror(errno)));
    }
    void Close() {
        const bool bad = std::fclose(f_) != 0;
        f_ = nullptr;
        if (bad)
            Fail(kExitRefused, Format("%s: cannot write the temporary file: %s", name_.c_str(),
                                      std::strerror(errno)));
    }
    const std::string& Path() const { return path_; }
    void Keep() {
        UnguardTempFile(guard_);
        guard_ = -1;
        path_.clear();
    }

private:
    void Discard() {
        if (f_) std::fclose(f_);
        f_ = nullptr;
        if (!path_.empty()) std::remove(path_.c_str());
        UnguardTempFile(guard_);
        guard_ = -1;
        path_.clear();
    }
    std::string name_, path_;
    std::FILE* f_ = nullptr;
    int guard_ = -1;
};

bool SameContents(const std::string& a, const std::string& b) {
    std::error_code ec1, ec2;
    if (fs::file_size(a, ec1) != fs::file_size(b, ec2) || ec1 || ec2) return false;
    std::FILE* fa = std::fopen(a.c_str(), "rb");
    std::FILE* fb = std::fopen(b.c_str(), "rb");
    bool same = fa && fb;
    std::vector<char> ba(1 << 16), bb(1 << 16);
    while (same) {
        const std::size_t na = std::fread(ba.data(), 1, ba.size(), fa);
        const std::size_t nb = std::fread(bb.data(), 1, bb.size(), fb);
        if (na != nb || std::memcmp(ba.data(), bb.data(), na) != 0) same = false;
        if (na == 0) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
}

// The old contents stay under the backup name: a hard link when the file
// system has them (nothing copied, and the original inode is untouched by
// the rename), else a copy.
void MakeBackup(const fs::path& target, const std::string& suffix, const std::string& name) {
    fs::path backup = target;
    backup += suffix;
    std::error_code ec;
    fs::remove(backup, ec);
    fs::create_hard_link(target, backup, ec);
    if (ec) {
        ec.clear();
        fs::copy_file(target, backup, fs::copy_options::overwrite_existing, ec);
    }
    if (ec)
        Fail(kExitRefused, Format("%s: cannot make the backup %s: %s", name.c_str(),
                                  backup.string().c_str(), ec.message().c_str()));
}

enum class Outcome { Converted, Unchanged };

Outcome ConvertFile(const std::string& name, const BatchOptions& opts, const FileConversion& convert) {
    std::error_code ec;
    fs::path target(name);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        // The link stays; what it points at is the file rewritten.
        target = fs::canonical(target, ec);
        if (ec)
            Fail(kExitRefused, Format("%s: a symbolic link whose target cannot be reached: %s",
                                      name.c_str(), ec.message().c_str()));
    }
    const fs::file_status st = fs::status(target, ec);
    if (ec) Fail(kExitRefused, Format("%s: %s", name.c_str(), ec.message().c_str()));
    if (fs::is_directory(st))
        Fail(kExitRefused, name + ": is a directory (-r converts the files under it)");
    if (!fs::is_regular_file(st)) Fail(kExitRefused, name + ": not a regular file");

    std::FILE* f = std::fopen(target.string().c_str(), "rb");
    if (!f) Fail(kExitRefused, Format("%s: %s", name.c_str(), std::strerror(errno)));
    Input in(f, name, true);
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    TempFile tmp(dir, target.filename().string(), name);
    convert(in, tmp);
    tmp.Close();
    if (SameContents(target.string(), tmp.Path())) return Outcome::Unchanged;
    CopyFileMetadata(target.string(), tmp.Path());
    if (!opts.backupSuffix.empty()) MakeBackup(target, opts.backupSuffix, name);
    fs::rename(tmp.Path(), target, ec);
    if (ec)
        Fail(kExitRefused, Format("%s: cannot replace it: %s", name.c_str(), ec.message().c_str()));
    tmp.Keep();
    return Outcome::Converted;
}

// Directories the version-control tools own: rewriting their objects would
// damage the repository, and they are never text to convert.
bool IsVcsDir(const fs::path& p) {
    const std::string n = p.filename().string();
    return n == ".git" || n == ".hg" || n == ".svn";
}

struct FileList {
    std::vector<std::string> files;
    std::vector<std::string> errors;  // operands refused before any work
};

FileList Collect(const std::vector<std::string>& operands, bool recursive) {
    FileList out;
    std::set<std::string> seen;  // one worker per file, however often it is named
    auto add = [&](const std::string& name) {
        std::error_code ec;
        const fs::path key = fs::weakly_canonical(name, ec);
        if (seen.insert(ec ? name : key.string()).second) out.files.push_back(name);
    };
    for (const auto& op : operands) {
        std::error_code ec;
        if (!recursive || !fs::is_directory(op, ec)) {
            add(op);
            continue;
        }
        std::vector<std::string> under;
        fs::recursive_directory_iterator it(op, fs::directory_options::skip_permission_denied, ec),
            end;
        if (ec) {
            out.errors.push_back(Format("%s: %s", op.c_str(), ec.message().c_str()));
            continue;
        }
        for (; it != end; it.increment(ec)) {
            if (ec) {
                out.errors.push_back(Format("%s: %s", op.c_str(), ec.message().c_str()));
                break;
            }
            std::error_code e2;
            if (it->is_directory(e2)) {
                // A link to a directory is not followed (no loops), nor a
                // repository's own directory.
                if (it->is_symlink(e2) || IsVcsDir(it->path())) it.disable_recursion_pending();
                continue;
            }
            if (it->is_regular_file(e2)) under.push_back(it->path().string());
        }
        std::sort(under.begin(), under.end());
        for (const auto& f : under) add(f);
    }
    return out;
}

}  // namespace

int ConvertInPlace(const std::vector<std::string>& operands, const BatchOptions& opts,
                   const FileConversion& convert) {
    FileList list = Collect(operands, opts.recursive);
    std::atomic<unsigned long long> converted{0}, unchanged{0}, failed{list.errors.size()};
#ifndef ZRCLI_NO_THREADS
    std::mutex errMutex;
#endif
    for (const auto& e : list.errors) std::fprintf(stderr, "zrmoji: %s\n", e.c_str());

    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (;;) {
            const std::size_t i = next++;
            if (i >= list.files.size()) return;
            std::string error;
            try {
                if (ConvertFile(list.files[i], opts, convert) == Outcome::Converted)
                    ++converted;
                else
                    ++unchanged;
                continue;
            } catch (const Failure& f) {
                error = f.message;
            } catch (const std::bad_alloc&) {
                error = list.files[i] + ": out of memory";
            } catch (const std::filesystem::filesystem_error& e) {
                error = list.files[i] + ": " + e.code().message();
            }
            ++failed;
#ifndef ZRCLI_NO_THREADS
            std::lock_guard<std::mutex> lock(errMutex);
#endif
            std::fprintf(stderr, "zrmoji: %s\n", error.c_str());
        }
    };
#ifdef ZRCLI_NO_THREADS
    worker();
#else
    unsigned jobs = opts.jobs != 0 ? opts.jobs : std::max(1u, std::thread::hardware_concurrency());
    jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, std::max<std::size_t>(1, list.files.size())));
    if (jobs <= 1) {
        worker();
    } else {
        std::vector<std::thread> threads;
        for (unsigned k = 0; k < jobs; ++k) threads.emplace_back(worker);
        for (auto& t : threads) t.join();
    }
#endif
    if (!opts.quiet)
        std::fprintf(stderr, "zrmoji: %llu converted, %llu unchanged, %llu failed\n",
                     converted.load(), unchanged.load(), failed.load());
    return failed != 0 ? kExitRefused : kExitOk;
}

}  // namespace zrcli
