// Database files read and written in large pieces, for the copies between files.
//
// A copy reads every page of one file and writes every page of another, a kilobyte at a
// time; on this kind of machine each of those system calls costs more than the page's
// decryption. Files opened through this VFS read ahead a window at a time and gather
// consecutive writes into one buffer.
//
// What the engine relies on still holds:
// - A read sees every write before it: a read that meets gathered writes sends them
//   first.
// - Other connections see the file as the engine left it: gathered writes go out before
//   any lock is given up.
// - Nothing is read from a window that may be out of date: a window is filled only
//   after the gathered writes inside it are sent, and is dropped whenever a lock is
//   taken or given up, and when a write falls inside it.
// - A write that fails later is not lost silently: the failure sticks to the file, and
//   every later call on it reports it, the flush asked for by the copy included.

#include "store/engine_p.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace store::detail {

namespace {

// The underlying VFS moves at most 128 KiB less a byte per call (more than any page), so
// windows and gathered writes go to it in pieces of 64 KiB.
constexpr int kPieceBytes = 64 * 1024;
constexpr int kReadWindowBytes = 4 * kPieceBytes;
constexpr int kWriteBufferBytes = 16 * kPieceBytes;
constexpr char kVfsName[] = "marrowin-batched";

struct BatchedFile {
    sqlite3_file base;
    sqlite3_file* real;
    char* readWindow;
    sqlite3_int64 readStart;
    int readBytes;
    char* writeBuffer;
    sqlite3_int64 writeStart;
    int writeBytes;
    int failure; // the first write that could not be sent, as the engine's code
};

sqlite3_vfs* underlying() {
    return sqlite3_vfs_find(nullptr);
}

BatchedFile* batched(sqlite3_file* f) {
    return reinterpret_cast<BatchedFile*>(f);
}

const sqlite3_io_methods* realMethods(BatchedFile* f) {
    return f->real->pMethods;
}

bool overlaps(sqlite3_int64 aStart, sqlite3_int64 aBytes, sqlite3_int64 bStart,
              sqlite3_int64 bBytes) {
    return aStart < bStart + bBytes && bStart < aStart + aBytes;
}

// Moves bytes between the file and memory in pieces the underlying VFS takes.
template <typename Move> int inPieces(char* memory, int bytes, sqlite3_int64 offset, Move move) {
    for (int done = 0; done < bytes; done += kPieceBytes)
        if (const int rc = move(memory + done, std::min(kPieceBytes, bytes - done), offset + done);
            rc != SQLITE_OK)
            return rc;
    return SQLITE_OK;
}

int sendWrites(BatchedFile* f) {
    if (f->failure != SQLITE_OK)
        return f->failure;
    if (f->writeBytes == 0)
        return SQLITE_OK;
    const int rc = inPieces(f->writeBuffer, f->writeBytes, f->writeStart,
                            [f](char* piece, int bytes, sqlite3_int64 at) {
                                return realMethods(f)->xWrite(f->real, piece, bytes, at);
                            });
    f->writeBytes = 0;
    if (rc != SQLITE_OK)
        f->failure = rc;
    return rc;
}

// Sends the gathered writes when any of them falls within [offset, offset + bytes).
int sendWritesWithin(BatchedFile* f, sqlite3_int64 offset, sqlite3_int64 bytes) {
    if (f->writeBytes > 0 && overlaps(offset, bytes, f->writeStart, f->writeBytes))
        return sendWrites(f);
    return SQLITE_OK;
}

void dropWindow(BatchedFile* f) {
    f->readBytes = 0;
}

int batchedClose(sqlite3_file* file) {
    BatchedFile* f = batched(file);
    const int sent = sendWrites(f);
    const int rc = realMethods(f)->xClose(f->real);
    std::free(f->readWindow);
    std::free(f->writeBuffer);
    f->readWindow = f->writeBuffer = nullptr;
    return sent != SQLITE_OK ? sent : rc;
}

int batchedRead(sqlite3_file* file, void* out, int amount, sqlite3_int64 offset) {
    BatchedFile* f = batched(file);
    if (f->failure != SQLITE_OK)
        return f->failure;
    if (const int rc = sendWritesWithin(f, offset, amount); rc != SQLITE_OK)
        return rc;
    if (f->readBytes > 0 && offset >= f->readStart &&
        offset + amount <= f->readStart + f->readBytes) {
        std::memcpy(out, f->readWindow + (offset - f->readStart), size_t(amount));
        return SQLITE_OK;
    }
    dropWindow(f);
    if (amount >= kReadWindowBytes ||
        (!f->readWindow && !(f->readWindow = static_cast<char*>(std::malloc(kReadWindowBytes)))))
        return realMethods(f)->xRead(f->real, out, amount, offset);
    // The window ends at the end of the file; reads past it (which the engine answers
    // with zeros and a short-read code) go to the file as they are.
    sqlite3_int64 size = 0;
    if (realMethods(f)->xFileSize(f->real, &size) != SQLITE_OK || offset + amount > size)
        return realMethods(f)->xRead(f->real, out, amount, offset);
    const int window = int(std::min<sqlite3_int64>(kReadWindowBytes, size - offset));
    // The window never holds a page whose newer bytes are still gathered.
    if (const int rc = sendWritesWithin(f, offset, window); rc != SQLITE_OK)
        return rc;
    const int filled =
        inPieces(f->readWindow, window, offset, [f](char* piece, int bytes, sqlite3_int64 at) {
            return realMethods(f)->xRead(f->real, piece, bytes, at);
        });
    if (filled != SQLITE_OK)
        return realMethods(f)->xRead(f->real, out, amount, offset);
    f->readStart = offset;
    f->readBytes = window;
    std::memcpy(out, f->readWindow, size_t(amount));
    return SQLITE_OK;
}

int batchedWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    BatchedFile* f = batched(file);
    if (f->failure != SQLITE_OK)
        return f->failure;
    if (f->readBytes > 0 && overlaps(offset, amount, f->readStart, f->readBytes))
        dropWindow(f);
    const bool fits = f->writeBytes > 0 && offset >= f->writeStart &&
                      offset <= f->writeStart + f->writeBytes &&
                      offset + amount <= f->writeStart + kWriteBufferBytes;
    if (!fits) {
        if (const int rc = sendWrites(f); rc != SQLITE_OK)
            return rc;
        if (amount > kWriteBufferBytes / 2 ||
            (!f->writeBuffer &&
             !(f->writeBuffer = static_cast<char*>(std::malloc(kWriteBufferBytes)))))
            return realMethods(f)->xWrite(f->real, data, amount, offset);
        f->writeStart = offset;
    }
    std::memcpy(f->writeBuffer + (offset - f->writeStart), data, size_t(amount));
    f->writeBytes = int(std::max<sqlite3_int64>(f->writeBytes, offset + amount - f->writeStart));
    return SQLITE_OK;
}

int batchedTruncate(sqlite3_file* file, sqlite3_int64 size) {
    BatchedFile* f = batched(file);
    if (const int rc = sendWrites(f); rc != SQLITE_OK)
        return rc;
    dropWindow(f);
    return realMethods(f)->xTruncate(f->real, size);
}

int batchedSync(sqlite3_file* file, int flags) {
    BatchedFile* f = batched(file);
    if (const int rc = sendWrites(f); rc != SQLITE_OK)
        return rc;
    return realMethods(f)->xSync(f->real, flags);
}

int batchedFileSize(sqlite3_file* file, sqlite3_int64* size) {
    BatchedFile* f = batched(file);
    if (const int rc = sendWrites(f); rc != SQLITE_OK)
        return rc;
    return realMethods(f)->xFileSize(f->real, size);
}

int batchedLock(sqlite3_file* file, int level) {
    BatchedFile* f = batched(file);
    const int rc = realMethods(f)->xLock(f->real, level);
    dropWindow(f);
    return rc;
}

int batchedUnlock(sqlite3_file* file, int level) {
    BatchedFile* f = batched(file);
    const int sent = sendWrites(f);
    dropWindow(f);
    const int rc = realMethods(f)->xUnlock(f->real, level);
    return sent != SQLITE_OK ? sent : rc;
}

int batchedCheckReservedLock(sqlite3_file* file, int* out) {
    BatchedFile* f = batched(file);
    return realMethods(f)->xCheckReservedLock(f->real, out);
}

// The engine's file controls that neither read nor change what the file holds: they need
// the gathered writes neither sent first nor the window dropped. (The size hint comes
// with nearly every write of a growing file.)
bool leavesContentsAlone(int op) {
    switch (op) {
    case SQLITE_FCNTL_LOCKSTATE:
    case SQLITE_FCNTL_LAST_ERRNO:
    case SQLITE_FCNTL_SIZE_HINT:
    case SQLITE_FCNTL_CHUNK_SIZE:
    case SQLITE_FCNTL_PERSIST_WAL:
    case SQLITE_FCNTL_VFSNAME:
    case SQLITE_FCNTL_POWERSAFE_OVERWRITE:
    case SQLITE_FCNTL_PRAGMA:
    case SQLITE_FCNTL_BUSYHANDLER:
    case SQLITE_FCNTL_TEMPFILENAME:
    case SQLITE_FCNTL_MMAP_SIZE:
    case SQLITE_FCNTL_HAS_MOVED:
        return true;
    default:
        return false;
    }
}

int batchedFileControl(sqlite3_file* file, int op, void* arg) {
    BatchedFile* f = batched(file);
    if (op == kFlushBatchedWrites)
        return sendWrites(f);
    if (!leavesContentsAlone(op)) {
        if (const int rc = sendWrites(f); rc != SQLITE_OK)
            return rc;
        dropWindow(f);
    }
    return realMethods(f)->xFileControl(f->real, op, arg);
}

int batchedSectorSize(sqlite3_file* file) {
    BatchedFile* f = batched(file);
    return realMethods(f)->xSectorSize(f->real);
}

int batchedDeviceCharacteristics(sqlite3_file* file) {
    BatchedFile* f = batched(file);
    return realMethods(f)->xDeviceCharacteristics(f->real);
}

// Version 1: no shared memory (these files never use a write-ahead log) and no memory
// mapping (a mapped read would miss the gathered writes).
const sqlite3_io_methods kBatchedMethods = {
    1,
    batchedClose,
    batchedRead,
    batchedWrite,
    batchedTruncate,
    batchedSync,
    batchedFileSize,
    batchedLock,
    batchedUnlock,
    batchedCheckReservedLock,
    batchedFileControl,
    batchedSectorSize,
    batchedDeviceCharacteristics,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// Only the database files themselves are batched; journals and temporary files are the
// underlying VFS's own.
int batchedOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    sqlite3_vfs* real = underlying();
    if (!(flags & SQLITE_OPEN_MAIN_DB))
        return real->xOpen(real, name, file, flags, outFlags);
    BatchedFile* f = batched(file);
    std::memset(f, 0, sizeof *f);
    f->real = reinterpret_cast<sqlite3_file*>(f + 1);
    const int rc = real->xOpen(real, name, f->real, flags, outFlags);
    if (rc != SQLITE_OK) {
        // The engine calls xClose only when pMethods is set; the real file's own open
        // cleans up after itself.
        f->base.pMethods = nullptr;
        return rc;
    }
    f->base.pMethods = &kBatchedMethods;
    return SQLITE_OK;
}

int batchedDelete(sqlite3_vfs*, const char* name, int syncDir) {
    return underlying()->xDelete(underlying(), name, syncDir);
}
int batchedAccess(sqlite3_vfs*, const char* name, int flags, int* out) {
    return underlying()->xAccess(underlying(), name, flags, out);
}
int batchedFullPathname(sqlite3_vfs*, const char* name, int bytes, char* out) {
    return underlying()->xFullPathname(underlying(), name, bytes, out);
}
void* batchedDlOpen(sqlite3_vfs*, const char* name) {
    return underlying()->xDlOpen(underlying(), name);
}
void batchedDlError(sqlite3_vfs*, int bytes, char* out) {
    underlying()->xDlError(underlying(), bytes, out);
}
void (*batchedDlSym(sqlite3_vfs*, void* handle, const char* symbol))(void) {
    return underlying()->xDlSym(underlying(), handle, symbol);
}
void batchedDlClose(sqlite3_vfs*, void* handle) {
    underlying()->xDlClose(underlying(), handle);
}
int batchedRandomness(sqlite3_vfs*, int bytes, char* out) {
    return underlying()->xRandomness(underlying(), bytes, out);
}
int batchedSleep(sqlite3_vfs*, int micros) {
    return underlying()->xSleep(underlying(), micros);
}
int batchedCurrentTime(sqlite3_vfs*, double* out) {
    return underlying()->xCurrentTime(underlying(), out);
}
int batchedGetLastError(sqlite3_vfs*, int bytes, char* out) {
    return underlying()->xGetLastError(underlying(), bytes, out);
}
int batchedCurrentTimeInt64(sqlite3_vfs*, sqlite3_int64* out) {
    return underlying()->xCurrentTimeInt64(underlying(), out);
}

} // namespace

const char* batchedVfsName() {
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_vfs* real = underlying();
        static sqlite3_vfs vfs{};
        vfs.iVersion = 2;
        vfs.szOsFile = int(sizeof(BatchedFile)) + real->szOsFile;
        vfs.mxPathname = real->mxPathname;
        vfs.zName = kVfsName;
        vfs.xOpen = batchedOpen;
        vfs.xDelete = batchedDelete;
        vfs.xAccess = batchedAccess;
        vfs.xFullPathname = batchedFullPathname;
        vfs.xDlOpen = batchedDlOpen;
        vfs.xDlError = batchedDlError;
        vfs.xDlSym = batchedDlSym;
        vfs.xDlClose = batchedDlClose;
        vfs.xRandomness = batchedRandomness;
        vfs.xSleep = batchedSleep;
        vfs.xCurrentTime = batchedCurrentTime;
        vfs.xGetLastError = batchedGetLastError;
        vfs.xCurrentTimeInt64 = batchedCurrentTimeInt64;
        sqlite3_vfs_register(&vfs, 0);
    });
    return kVfsName;
}

} // namespace store::detail
