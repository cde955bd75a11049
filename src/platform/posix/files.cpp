// Durable file replacement on POSIX systems. Shared by the terminal back end
// and the scripted one, so the unit tests exercise the real system calls.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {

bool Sync_Descriptor(int descriptor) {
#ifdef F_FULLFSYNC
    // macOS: fsync stops at the drive's cache; this asks the drive to write it.
    if (fcntl(descriptor, F_FULLFSYNC) == 0) return true;
#endif
    while (fsync(descriptor) != 0) {
        if (errno != EINTR) return false;
    }
    return true;
}

// The directory part of a path: "." for a bare name. False when it does not
// fit the buffer.
bool Directory_Of(const char* path, std::array<char, 4096>& directory) {
    const char* slash = std::strrchr(path, '/');
    if (slash == nullptr) {
        std::strcpy(directory.data(), ".");
        return true;
    }
    const size_t length = slash == path ? 1 : static_cast<size_t>(slash - path);
    if (length >= directory.size()) return false;
    std::memcpy(directory.data(), path, length);
    directory[length] = '\0';
    return true;
}

// A rename is only lasting once the directory that holds the name is on the
// device too.
void Sync_Directory_Of(const char* path) {
    std::array<char, 4096> directory{};
    if (!Directory_Of(path, directory)) return;
    const int descriptor = open(directory.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    Sync_Descriptor(descriptor);
    close(descriptor);
}

}  // namespace

namespace platform {

std::FILE* Open_Data_File(const char* name) {
    // Non-blocking, so that opening a FIFO returns at once instead of waiting
    // for a writer; whether it is a regular file is then asked of what was
    // opened, not of the name, which could change in between.
    const int descriptor = open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat status {};
    const int flags = fcntl(descriptor, F_GETFL);
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0 ||
        fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(descriptor);
        return nullptr;
    }
    std::FILE* file = fdopen(descriptor, "rb");
    if (file == nullptr) close(descriptor);
    return file;
}

std::FILE* Create_New_File(const char* name) {
    const int descriptor = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    std::FILE* file = fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int saved_errno = errno;
        close(descriptor);
        unlink(name);
        errno = saved_errno;
    }
    return file;
}

bool Flush_File_To_Disk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    return Sync_Descriptor(fileno(file));
}

bool Replace_File(const char* from, const char* to) {
    if (std::rename(from, to) != 0) return false;
    // The new file is in place whatever happens now. Some file systems cannot
    // sync a directory; that leaves the rename as lasting as the system makes
    // it, not undone, so it is no failure.
    Sync_Directory_Of(to);
    return true;
}

}  // namespace platform
