// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Data files and durable file replacement on POSIX systems (platform/files.h):
// under the terminal, the web page (Emscripten's files in memory) and the
// scripted console, so the unit tests exercise the real system calls.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <time.h>
#include <string_view>

#include "platform/files.h"

namespace {

using Path = std::array<char, platform::Path_Capacity>;

// A save's file is named after its target, the saving process and a count:
// "Hero_Status_Info.txt.saving-1234-0". Older builds left ".saving-N".
constexpr std::string_view Save_Marker = ".saving-";

// A file that nobody locks and that has not changed for this long is no
// running save's, whoever's name it carries (a process id can be reused, and
// a save on another machine sharing the folder is not visible here).
constexpr time_t Abandoned_After_Seconds = 60;

// As many links as the system follows in one lookup, so that a chain the
// system opens saves too, and one it refuses fails here as well. Linux says
// nothing through sysconf and follows 40.
int Most_Links() {
    const long limit = sysconf(_SC_SYMLOOP_MAX);
    if (limit > 0) return limit > 1000 ? 1000 : static_cast<int>(limit);
#ifdef SYMLOOP_MAX
    return SYMLOOP_MAX;
#else
    return 40;
#endif
}

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

bool Copy(std::string_view text, std::span<char> out) {
    if (text.size() >= out.size()) return false;
    std::memcpy(out.data(), text.data(), text.size());
    out[text.size()] = '\0';
    return true;
}

// The directory part of a path ("." for a bare name) and the name in it.
bool Split_Path(const char* path, Path& directory, std::string_view& name) {
    const char* slash = std::strrchr(path, '/');
    name = slash == nullptr ? std::string_view(path) : std::string_view(slash + 1);
    if (slash == nullptr) return Copy(".", directory);
    return Copy(std::string_view(path, slash == path ? 1 : static_cast<size_t>(slash - path)), directory);
}

// A rename is only lasting once the directory that holds the name is on the
// device too.
void Sync_Directory_Of(const char* path) {
    Path directory{};
    std::string_view name;
    if (!Split_Path(path, directory, name)) return;
    const int descriptor = open(directory.data(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    Sync_Descriptor(descriptor);
    close(descriptor);
}

bool Lock_For_Writing(int descriptor) {
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    return fcntl(descriptor, F_SETLK, &lock) == 0;
}

// The process id in a save file's name after its marker, or 0 when the name
// carries none (an older build's).
pid_t Writer_Of(std::string_view rest) {
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 9) return 0;
    pid_t pid = 0;
    for (char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9') return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool Is_Running(pid_t pid) { return pid == getpid() ? false : kill(pid, 0) == 0 || errno == EPERM; }

bool Still_Named(const char* path, int descriptor) {
    struct stat opened {};
    struct stat named {};
    return fstat(descriptor, &opened) == 0 && lstat(path, &named) == 0 && named.st_ino == opened.st_ino &&
           named.st_dev == opened.st_dev;
}

// A file is a dead save's when its writer is gone, or when it has lain
// unchanged for a while, and nobody holds its lock. The name and the age are
// asked first: the lock is tried only on a file that no running save here can
// be writing, because a save that finds its brand-new file locked by another's
// clean-up, before it could lock the file itself, would fail for nothing. The
// lock then guards what the name cannot tell: a running save on another
// machine sharing the folder, or one whose process id this system shows as
// gone.
void Remove_If_Abandoned(const char* path, pid_t writer) {
    const int descriptor = open(path, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return;  // a link, or not ours to remove
    struct stat found {};
    const bool unattended = fstat(descriptor, &found) == 0 && S_ISREG(found.st_mode) &&
                            ((writer != 0 && !Is_Running(writer)) ||
                             std::time(nullptr) - found.st_mtime > Abandoned_After_Seconds);
    // Still the same file under that name, not one made since by another save.
    if (unattended && Lock_For_Writing(descriptor) && Still_Named(path, descriptor)) unlink(path);
    close(descriptor);
}

void Remove_Abandoned_Saves(const char* target) {
    Path directory{};
    std::string_view target_name;
    if (!Split_Path(target, directory, target_name)) return;
    DIR* listing = opendir(directory.data());
    if (listing == nullptr) return;
    while (const dirent* entry = readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (name.size() <= target_name.size() + Save_Marker.size() || name.substr(0, target_name.size()) != target_name ||
            name.substr(target_name.size(), Save_Marker.size()) != Save_Marker) {
            continue;
        }
        Path path{};
        if (std::snprintf(path.data(), path.size(), "%s/%s", directory.data(), entry->d_name) >= static_cast<int>(path.size())) {
            continue;
        }
        Remove_If_Abandoned(path.data(), Writer_Of(name.substr(target_name.size() + Save_Marker.size())));
    }
    closedir(listing);
}

// What a replacement takes over from the file it replaces. The owner can
// only be given by a privileged process; the group by a member of it.
void Take_Access_Of(const char* target, int descriptor) {
    struct stat old {};
    if (stat(target, &old) != 0) return;  // a first save: the usual new-file mode
    if (fchown(descriptor, old.st_uid, old.st_gid) != 0) {
        [[maybe_unused]] const int ignored = fchown(descriptor, static_cast<uid_t>(-1), old.st_gid);
    }
    fchmod(descriptor, old.st_mode & 07777);
}

// A name of our own: no other process uses our id, and our own leftovers
// were removed, so the first count nearly always does.
constexpr int Most_Name_Tries = 1000;

// Another save's clean-up may hold the lock on a new file for a moment while
// it looks at it. It lets go at once, so the lock is waited for, briefly: a
// lock held longer than that is nobody's clean-up.
constexpr int Most_Lock_Tries = 200;
constexpr long Lock_Retry_Ns = 1'000'000;
constexpr int Most_Creation_Tries = 10;

bool Lock_New_File(int descriptor) {
    for (int attempt = 0; attempt < Most_Lock_Tries; ++attempt) {
        if (Lock_For_Writing(descriptor)) return true;
        if (errno != EAGAIN && errno != EACCES && errno != EINTR) return false;
        const timespec pause{0, Lock_Retry_Ns};
        nanosleep(&pause, nullptr);
    }
    return false;
}

int Create_Exclusively(const char* target, std::span<char> name) {
    for (int count = 0; count < Most_Name_Tries; ++count) {
        const int length = std::snprintf(name.data(), name.size(), "%s%.*s%ld-%d", target,
                                         static_cast<int>(Save_Marker.size()), Save_Marker.data(),
                                         static_cast<long>(getpid()), count);
        if (length < 0 || static_cast<size_t>(length) >= name.size()) break;
        const int descriptor = open(name.data(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0) return descriptor;
        if (errno != EEXIST) break;
    }
    if (!name.empty()) name[0] = '\0';
    return -1;
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

bool Resolve_Links(const char* name, std::span<char> path) {
    if (!Copy(name, path)) return false;
    const int most_links = Most_Links();
    for (int links = 0;; ++links) {
        Path target{};
        const ssize_t length = readlink(path.data(), target.data(), target.size() - 1);
        // Not a link (or nothing there yet): this is the file.
        if (length < 0) return errno == EINVAL || errno == ENOENT;
        if (links == most_links) return false;  // one more than the system would follow
        const std::string_view next(target.data(), static_cast<size_t>(length));
        const char* slash = std::strrchr(path.data(), '/');
        if (next.front() == '/' || slash == nullptr) {
            if (!Copy(next, path)) return false;
            continue;
        }
        // A relative link is read from the folder that holds it.
        const auto folder = static_cast<size_t>(slash - path.data()) + 1;
        if (folder + next.size() >= path.size()) return false;
        std::memcpy(path.data() + folder, next.data(), next.size());
        path[folder + next.size()] = '\0';
    }
}

std::FILE* Create_Replacement_File(const char* target, std::span<char> name) {
    Remove_Abandoned_Saves(target);
    for (int attempt = 0; attempt < Most_Creation_Tries; ++attempt) {
        const int descriptor = Create_Exclusively(target, name);
        if (descriptor < 0) return nullptr;
        const bool locked = Lock_New_File(descriptor);
        if (locked && Still_Named(name.data(), descriptor)) {
            Take_Access_Of(target, descriptor);
            std::FILE* file = fdopen(descriptor, "wb");
            if (file != nullptr) return file;
        }
        // Removed meanwhile by a clean-up that took it for a dead save's: the
        // name is free again, and a new file under it will be locked in time.
        const bool removed = locked && !Still_Named(name.data(), descriptor);
        if (!removed) unlink(name.data());
        close(descriptor);
        name[0] = '\0';
        if (!removed) return nullptr;
    }
    return nullptr;
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
