// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Data files and durable file replacement on Windows (platform/files.h). A
// plain rename there refuses to overwrite an existing file, so the new file
// takes the old one's place with MoveFileEx, which replaces it in one step.

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace {

// A save's file: "Hero_Status_Info.txt.saving-1234-0", after its target, the
// saving process and a count.
constexpr const char* Save_Marker = ".saving-";
constexpr int Most_Name_Tries = 1000;

// A file that a running save writes is open without leave to delete it, so
// every one that can be deleted was left by a save that was interrupted.
void Remove_Abandoned_Saves(const char* target) {
    std::array<char, platform::Path_Capacity> pattern{};
    const int length = std::snprintf(pattern.data(), pattern.size(), "%s%s*", target, Save_Marker);
    if (length < 0 || static_cast<size_t>(length) >= pattern.size()) return;
    const char* slash = std::strrchr(target, '\\');
    const char* forward = std::strrchr(target, '/');
    if (forward != nullptr && (slash == nullptr || forward > slash)) slash = forward;
    const auto folder = slash == nullptr ? size_t{0} : static_cast<size_t>(slash - target) + 1;
    WIN32_FIND_DATAA found{};
    const HANDLE search = FindFirstFileA(pattern.data(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) continue;
        std::array<char, platform::Path_Capacity> path{};
        const int path_length = std::snprintf(path.data(), path.size(), "%.*s%s", static_cast<int>(folder), target,
                                              found.cFileName);
        if (path_length > 0 && static_cast<size_t>(path_length) < path.size()) DeleteFileA(path.data());
    } while (FindNextFileA(search, &found) != 0);
    FindClose(search);
}

}  // namespace

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

bool Resolve_Links(const char* name, std::span<char> path) {
    // Symbolic links are rare on Windows and need privileges to make; the
    // save replaces the name itself.
    const size_t length = std::strlen(name);
    if (length >= path.size()) return false;
    std::memcpy(path.data(), name, length + 1);
    return true;
}

std::FILE* Create_Replacement_File(const char* target, std::span<char> name) {
    Remove_Abandoned_Saves(target);
    for (int count = 0; count < Most_Name_Tries; ++count) {
        const int length = std::snprintf(name.data(), name.size(), "%s%s%lu-%d", target, Save_Marker,
                                         static_cast<unsigned long>(GetCurrentProcessId()), count);
        if (length < 0 || static_cast<size_t>(length) >= name.size()) break;
        // The runtime's fopen has no exclusive mode here; _O_EXCL gives it.
        const int descriptor = _open(name.data(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (descriptor < 0) {
            if (errno == EEXIST) continue;
            break;
        }
        std::FILE* file = _fdopen(descriptor, "wb");
        if (file != nullptr) return file;
        _close(descriptor);
        _unlink(name.data());
        break;
    }
    if (!name.empty()) name[0] = '\0';
    return nullptr;
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
