// Durable file replacement on Windows. A plain rename there refuses to
// overwrite an existing file, so the new file takes the old one's place with
// MoveFileEx, which replaces it in one step.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>

#include <cstdio>

#include "platform/platform.h"

namespace platform {

std::FILE* Open_Data_File(const char* name) {
    // A directory cannot be opened here at all; a device name (CON, NUL, ...)
    // can, and is refused like anything else that is not a regular file.
    const int descriptor = _open(name, _O_RDONLY | _O_BINARY);
    if (descriptor < 0) return nullptr;
    struct _stat64 status {};
    if (_fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) {
        _close(descriptor);
        return nullptr;
    }
    std::FILE* file = _fdopen(descriptor, "rb");
    if (file == nullptr) _close(descriptor);
    return file;
}

std::FILE* Create_New_File(const char* name) {
    // The runtime's fopen has no exclusive mode here; _O_EXCL gives it.
    const int descriptor = _open(name, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) return nullptr;
    std::FILE* file = _fdopen(descriptor, "wb");
    if (file == nullptr) {
        const int saved_errno = errno;
        _close(descriptor);
        _unlink(name);
        errno = saved_errno;
    }
    return file;
}

bool Flush_File_To_Disk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    // _commit asks the system to write the file's data to the device
    // (FlushFileBuffers), as fsync does elsewhere.
    return _commit(_fileno(file)) == 0;
}

bool Replace_File(const char* from, const char* to) {
    // Write-through: the call returns once the move is on the device. A
    // directory named `to` is never replaced; the call fails and leaves both.
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace platform
