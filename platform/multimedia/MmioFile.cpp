// The RIFF file functions on POSIX file descriptors. Positions are 64-bit inside; the
// 32-bit fields of the API are checked before they are handed out.
#include "MmioApi.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <limits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>
#include <vector>

struct MmioFile {
    int fd = -1;
    bool writable = false;
    bool failed = false;
    std::int64_t size = 0;
    std::int64_t pos = 0;
    // A created file lives under tempPath until mmioClose renames it to finalPath.
    std::string tempPath;
    std::string finalPath;
    // Read buffer: bufferLength bytes of the file from bufferStart.
    std::vector<char> buffer;
    std::int64_t bufferStart = 0;
    std::int64_t bufferLength = 0;
};

namespace {

// Handles in use; a stale or foreign handle is refused instead of followed.
std::unordered_set<HMMIO>& liveFiles()
{
    static std::unordered_set<HMMIO> files;
    return files;
}

bool isLive(HMMIO file)
{
    return file && liveFiles().count(file) != 0;
}

UINT openError(int error, const std::string& path)
{
    switch (error) {
    case ENOENT: {
        const std::string::size_type slash = path.rfind('/');
        if (slash != std::string::npos && slash > 0) {
            struct stat dir{};
            if (::stat(path.substr(0, slash).c_str(), &dir) != 0 || !S_ISDIR(dir.st_mode))
                return MMIOERR_PATHNOTFOUND;
        }
        return MMIOERR_FILENOTFOUND;
    }
    case ENOTDIR: return MMIOERR_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return MMIOERR_ACCESSDENIED;
    case EMFILE:
    case ENFILE: return MMIOERR_TOOMANYOPENFILES;
    case ENOMEM: return MMIOERR_OUTOFMEMORY;
    case ETXTBSY:
    case EBUSY: return MMIOERR_SHARINGVIOLATION;
    default: return MMIOERR_CANNOTOPEN;
    }
}

bool readFully(int fd, char* out, std::int64_t count, std::int64_t offset, std::int64_t& done)
{
    done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, out + done, size_t(count - done), off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        done += got;
    }
    return true;
}

bool writeFully(int fd, const char* in, std::int64_t count, std::int64_t offset)
{
    std::int64_t done = 0;
    while (done < count) {
        const ssize_t put = ::pwrite(fd, in + done, size_t(count - done), off_t(offset + done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}

// Whether name is one createBeside makes for base: "." base "." eight hex digits ".part".
bool isPartOf(const std::string& name, const std::string& base)
{
    const std::string head = "." + base + ".";
    constexpr std::size_t digits = 8;
    if (name.size() != head.size() + digits + 5 || name.compare(0, head.size(), head) != 0
        || name.compare(name.size() - 5, 5, ".part") != 0)
        return false;
    return std::all_of(name.begin() + std::ptrdiff_t(head.size()), name.end() - 5,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
}

// Removes what earlier creates of target left when their process died before closing.
// A writer holds a lock on its file while it lives and the lock goes with the process,
// so a file that can be locked, and has not been touched for a while, is abandoned.
void removeAbandonedParts(const std::string& dir, const std::string& base)
{
    constexpr std::time_t quietSeconds = 60;
    DIR* listing = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!listing)
        return;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (!isPartOf(name, base))
            continue;
        const std::string path = dir + name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat status{};
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid()
            && status.st_mtime + quietSeconds < std::time(nullptr) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(listing);
}

// Whether the file may be replaced: only by one who could write it in place. For root,
// who may write anything, a file without any write permission counts as read-only, as
// its owner meant it to be.
bool mayReplace(const std::string& target, const struct stat& existing)
{
    if (::geteuid() == 0)
        return (existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

// The new file gets the old one's owner and group. A group that cannot be given is let
// go; an owner that cannot be, is not: the save would take the file from its owner.
bool takeOwner(int fd, const struct stat& existing)
{
    struct stat made{};
    if (::fstat(fd, &made) != 0)
        return false;
    if (made.st_uid == existing.st_uid && made.st_gid == existing.st_gid)
        return true;
    if (::fchown(fd, existing.st_uid, existing.st_gid) == 0)
        return true;
    return made.st_uid == existing.st_uid;
}

// A name beside target that no one else uses; the file is created with the usual
// permissions (0666 less the umask), or the permissions, owner and group of the file it
// will replace.
int createBeside(const std::string& target, std::string& tempPath)
{
    const std::string::size_type slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    struct stat existing{};
    const bool replaces = ::stat(target.c_str(), &existing) == 0;
    if (replaces && S_ISDIR(existing.st_mode)) {
        errno = EISDIR;
        return -1;
    }
    if (replaces && !mayReplace(target, existing)) {
        errno = EACCES;
        return -1;
    }
    removeAbandonedParts(dir, base);
    std::random_device seed;
    std::mt19937 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", unsigned(random()));
        tempPath = dir + "." + base + suffix + ".part";
        const int fd = ::open(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            // Held until the descriptor closes: tells a live writer from a dead one.
            ::flock(fd, LOCK_EX | LOCK_NB);
            if (replaces) {
                // The owner first: changing it clears set-id bits the mode then restores.
                if (!takeOwner(fd, existing)) {
                    ::close(fd);
                    ::unlink(tempPath.c_str());
                    errno = EPERM;
                    return -1;
                }
                ::fchmod(fd, existing.st_mode & 07777);
            }
            return fd;
        }
        if (errno != EEXIST)
            return -1;
    }
    errno = EEXIST;
    return -1;
}

// A created file replaces the file a symbolic link names, not the link.
std::string resolveTarget(const char* name)
{
    struct stat link{};
    if (::lstat(name, &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* real = ::realpath(name, nullptr)) {
            std::string resolved(real);
            std::free(real);
            return resolved;
        }
    }
    return name;
}

} // namespace

HMMIO mmioOpenA(const char* fileName, LPMMIOINFO info, DWORD flags)
{
    UINT dummy = 0;
    UINT& error = info ? info->wErrorRet : dummy;
    error = 0;
    if (!fileName || !*fileName) {
        error = MMIOERR_CANNOTOPEN;
        return nullptr;
    }
    auto* file = new MmioFile;
    const DWORD access = flags & 0x3;
    if (flags & MMIO_CREATE) {
        file->finalPath = resolveTarget(fileName);
        file->fd = createBeside(file->finalPath, file->tempPath);
        if (file->fd < 0) {
            error = openError(errno, file->finalPath);
            delete file;
            return nullptr;
        }
        file->writable = true;
    } else {
        const int mode = access == MMIO_WRITE ? O_WRONLY : access == MMIO_READWRITE ? O_RDWR : O_RDONLY;
        // Non-blocking so that a FIFO cannot hold the open; it is refused below.
        file->fd = ::open(fileName, mode | O_CLOEXEC | O_NONBLOCK);
        if (file->fd < 0) {
            error = openError(errno, fileName);
            delete file;
            return nullptr;
        }
        struct stat status{};
        if (::fstat(file->fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            ::close(file->fd);
            delete file;
            error = MMIOERR_CANNOTOPEN;
            return nullptr;
        }
        ::fcntl(file->fd, F_SETFL, ::fcntl(file->fd, F_GETFL) & ~O_NONBLOCK);
        file->size = status.st_size;
        file->writable = access != MMIO_READ;
    }
    if (flags & MMIO_ALLOCBUF) {
        const LONG wanted = info && info->cchBuffer > 0 ? info->cchBuffer : MMIO_DEFAULTBUFFER;
        file->buffer.resize(size_t(wanted));
    }
    liveFiles().insert(file);
    if (info)
        info->hmmio = file;
    return file;
}

MMRESULT mmioClose(HMMIO file, UINT flags)
{
    if (!isLive(file))
        return MMSYSERR_INVALHANDLE;
    liveFiles().erase(file);
    MMRESULT result = 0;
    if (::close(file->fd) != 0)
        result = file->writable ? MMIOERR_CANNOTWRITE : MMIOERR_CANNOTCLOSE;
    if (!file->tempPath.empty()) {
        if (file->failed)
            result = MMIOERR_CANNOTWRITE;
        const bool keep = result == 0 && !(flags & MMIO_ABANDON);
        if (keep && ::rename(file->tempPath.c_str(), file->finalPath.c_str()) != 0)
            result = MMIOERR_CANNOTWRITE;
        if (!keep || result != 0)
            ::unlink(file->tempPath.c_str());
    }
    delete file;
    return result;
}

LONG mmioRead(HMMIO file, char* out, LONG count)
{
    if (!isLive(file) || count < 0 || (!out && count > 0))
        return -1;
    const std::int64_t wanted = std::min<std::int64_t>(count, std::max<std::int64_t>(file->size - file->pos, 0));
    std::int64_t done = 0;
    // Serve what the buffer holds, then refill it for a small read or go around it for
    // a large one.
    if (file->pos >= file->bufferStart && file->pos < file->bufferStart + file->bufferLength) {
        const std::int64_t from = file->pos - file->bufferStart;
        done = std::min(wanted, file->bufferLength - from);
        std::memcpy(out, file->buffer.data() + from, size_t(done));
    }
    const std::int64_t rest = wanted - done;
    if (rest > 0) {
        const std::int64_t capacity = std::int64_t(file->buffer.size());
        std::int64_t got = 0;
        if (rest < capacity) {
            if (!readFully(file->fd, file->buffer.data(), capacity, file->pos + done, got))
                return -1;
            file->bufferStart = file->pos + done;
            file->bufferLength = got;
            got = std::min(got, rest);
            std::memcpy(out + done, file->buffer.data(), size_t(got));
        } else if (!readFully(file->fd, out + done, rest, file->pos + done, got)) {
            return -1;
        }
        done += got;
    }
    file->pos += done;
    return LONG(done);
}

LONG mmioWrite(HMMIO file, const char* in, LONG count)
{
    if (!isLive(file) || count < 0 || (!in && count > 0))
        return -1;
    if (!file->writable || !writeFully(file->fd, in, count, file->pos)) {
        file->failed = true;
        return -1;
    }
    // Whatever the read buffer held of this range is stale now.
    if (file->pos < file->bufferStart + file->bufferLength && file->pos + count > file->bufferStart)
        file->bufferLength = 0;
    file->pos += count;
    file->size = std::max(file->size, file->pos);
    return count;
}

LONG mmioSeek(HMMIO file, LONG offset, int origin)
{
    const std::int64_t now = isLive(file) ? file->pos : 0;
    const std::int64_t target = mmioSeek64(file, offset, origin);
    if (target < 0 || target > std::numeric_limits<LONG>::max()) {
        // The 32-bit form cannot tell such a position; it stays where it was.
        if (isLive(file))
            file->pos = now;
        return -1;
    }
    return LONG(target);
}

std::int64_t mmioSeek64(HMMIO file, std::int64_t offset, int origin)
{
    if (!isLive(file))
        return -1;
    std::int64_t base = 0;
    switch (origin) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = file->pos; break;
    case SEEK_END: base = file->size; break;
    default: return -1;
    }
    if ((offset > 0 && base > INT64_MAX - offset) || base + offset < 0)
        return -1;
    file->pos = base + offset;
    return file->pos;
}

MMRESULT mmioDescend(HMMIO file, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags)
{
    if (!isLive(file) || !chunk)
        return MMSYSERR_INVALPARAM;
    std::int64_t end = file->size;
    if (parent)
        end = std::min<std::int64_t>(end, std::int64_t(parent->dwDataOffset) + parent->cksize);
    const FOURCC wantedId = chunk->ckid;
    const FOURCC wantedType = chunk->fccType;
    std::int64_t at = file->pos;
    // Each step moves forward by at least the 8-byte header, so the walk ends.
    while (at + 8 <= end) {
        file->pos = at;
        DWORD header[2];
        if (mmioRead(file, reinterpret_cast<char*>(header), 8) != 8)
            return MMIOERR_CANNOTREAD;
        const std::int64_t data = at + 8;
        const std::int64_t length = header[1];
        // A size that runs past the parent or the file is a lie; nothing behind it can be
        // trusted either.
        if (data + length > end)
            return MMIOERR_CHUNKNOTFOUND;
        FOURCC type = 0;
        const bool container = header[0] == FOURCC_RIFF || header[0] == FOURCC_LIST;
        if (container) {
            if (length < 4 || mmioRead(file, reinterpret_cast<char*>(&type), 4) != 4)
                return MMIOERR_CHUNKNOTFOUND;
        }
        bool match = true;
        if (flags & MMIO_FINDRIFF)
            match = header[0] == FOURCC_RIFF && type == wantedType;
        else if (flags & MMIO_FINDLIST)
            match = header[0] == FOURCC_LIST && type == wantedType;
        else if (flags & MMIO_FINDCHUNK)
            match = header[0] == wantedId;
        if (match) {
            if (data > std::int64_t(UINT32_MAX))
                return MMIOERR_CHUNKNOTFOUND;
            chunk->ckid = header[0];
            chunk->cksize = DWORD(length);
            chunk->fccType = type;
            chunk->dwDataOffset = DWORD(data);
            chunk->dwFlags = 0;
            file->pos = data + (container ? 4 : 0);
            return 0;
        }
        at = data + length + (length & 1);
    }
    file->pos = at;
    return MMIOERR_CHUNKNOTFOUND;
}

MMRESULT mmioAscend(HMMIO file, LPMMCKINFO chunk, UINT)
{
    if (!isLive(file) || !chunk)
        return MMSYSERR_INVALPARAM;
    if (chunk->dwFlags & MMIO_DIRTY) {
        const std::int64_t length = file->pos - std::int64_t(chunk->dwDataOffset);
        if (length < 0 || length > std::int64_t(UINT32_MAX))
            return MMIOERR_CANNOTWRITE;
        if (length & 1) {
            const char pad = 0;
            if (mmioWrite(file, &pad, 1) != 1)
                return MMIOERR_CANNOTWRITE;
        }
        const std::int64_t after = file->pos;
        const DWORD size = DWORD(length);
        if (!writeFully(file->fd, reinterpret_cast<const char*>(&size), 4, std::int64_t(chunk->dwDataOffset) - 4)) {
            file->failed = true;
            return MMIOERR_CANNOTWRITE;
        }
        chunk->cksize = size;
        chunk->dwFlags &= ~MMIO_DIRTY;
        file->pos = after;
        return 0;
    }
    file->pos = std::int64_t(chunk->dwDataOffset) + chunk->cksize + (chunk->cksize & 1);
    return 0;
}

MMRESULT mmioCreateChunk(HMMIO file, LPMMCKINFO chunk, UINT flags)
{
    if (!isLive(file) || !chunk)
        return MMSYSERR_INVALPARAM;
    if (flags & MMIO_CREATERIFF)
        chunk->ckid = FOURCC_RIFF;
    else if (flags & MMIO_CREATELIST)
        chunk->ckid = FOURCC_LIST;
    const bool container = flags & (MMIO_CREATERIFF | MMIO_CREATELIST);
    DWORD header[3] = {chunk->ckid, container ? DWORD(4) : chunk->cksize, chunk->fccType};
    const std::int64_t at = file->pos;
    if (at + 8 > std::int64_t(UINT32_MAX))
        return MMIOERR_CANNOTWRITE;
    if (mmioWrite(file, reinterpret_cast<const char*>(header), container ? 12 : 8) < 0)
        return MMIOERR_CANNOTWRITE;
    chunk->dwDataOffset = DWORD(at + 8);
    chunk->dwFlags = MMIO_DIRTY;
    return 0;
}
