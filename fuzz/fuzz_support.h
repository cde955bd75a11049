// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// What every fuzz target shares: a failed property stops the run loudly, so
// libFuzzer keeps the input as a crash; and a private directory for the
// readers that take their input from a file by name.

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace fuzz {

[[noreturn]] inline void Fail(const char* property) {
    std::fprintf(stderr, "fuzz property failed: %s\n", property);
    std::fflush(stderr);
    __builtin_trap();
}

inline void Check(bool holds, const char* property) {
    if (!holds) Fail(property);
}

// The lowest descriptor a new open would get: unchanged across a load when
// the reader closed what it opened.
inline int Lowest_Free_Descriptor() {
    const int descriptor = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    Check(descriptor >= 0, "/dev/null opens");
    ::close(descriptor);
    return descriptor;
}

struct Work_Dir_State {
    std::filesystem::path path;
    int home = -1;  // the directory libFuzzer runs in, to come back to
};

inline Work_Dir_State& Work_Dir() {
    static Work_Dir_State dir;
    return dir;
}

inline void Remove_Work_Dir() {
    std::error_code error;
    if (!Work_Dir().path.empty()) std::filesystem::remove_all(Work_Dir().path, error);
}

// A fresh directory of our own, in memory where the system has /dev/shm.
// Removed again when the fuzzer ends normally. libFuzzer keeps working in its
// own directory (corpus and crash files are named relative to it).
inline void Make_Private_Work_Dir() {
    std::error_code error;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, error)) base = std::filesystem::temp_directory_path();
    std::string pattern = (base / "console-rpg-fuzz-XXXXXX").string();
    Check(::mkdtemp(pattern.data()) != nullptr, "a private work directory can be made");
    Work_Dir().path = pattern;
    Work_Dir().home = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Check(Work_Dir().home >= 0, "the starting directory can be held open");
    std::atexit(Remove_Work_Dir);
}

// A file's path in the private directory.
inline std::string In_Work_Dir(const char* name) { return (Work_Dir().path / name).string(); }

// Runs `action` with the private directory as the working directory, for the
// loaders that read a fixed file name from there.
template <typename Action>
void Inside_Work_Dir(Action action) {
    Check(::chdir(Work_Dir().path.c_str()) == 0, "the private work directory can be entered");
    action();
    Check(::fchdir(Work_Dir().home) == 0, "the starting directory can be entered again");
}

// The whole input as the named file's content.
inline void Write_Input_File(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr, "the input file can be created");
    if (size > 0) Check(std::fwrite(data, 1, size, file) == size, "the input file is written whole");
    Check(std::fclose(file) == 0, "the input file is closed");
}

}  // namespace fuzz
