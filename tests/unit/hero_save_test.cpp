// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "data/hero_save.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "data/records.h"
#include "data/status_files.h"
#include "work_dir.h"

namespace fs = std::filesystem;

namespace {

void Set_Name(Hero_Status_Info& record, std::string_view name) {
    record.name.fill('\0');
    std::copy(name.begin(), name.end(), record.name.begin());
}

Hero_Status_Info Sample_Hero() {
    Hero_Status_Info record{};
    Set_Name(record, "Arthur");
    record.hp = 120;
    record.attack = 25;
    record.defense = 18;
    record.stat4 = 7;
    record.stat5 = 3;
    record.stat6 = 9;
    record.rating = 400;
    record.exp = 1234;
    record.level = 5;
    record.aux = 2;
    record.group3 = {11, 12, 13};
    record.group4 = {21, 22, 23, 24, 25};
    record.group5 = {31, 32, 33, 34, 35, 36};
    record.x = 10;
    record.y = 4;
    return record;
}

// What Sample_Hero saves to, byte for byte.
const std::string Sample_File =
    "Arthur\r\n\r\n"
    "120\r\n25\r\n18\r\n7\r\n3\r\n9\r\n\r\n"
    "400\r\n1234\r\n5\r\n2\r\n\r\n"
    "11\r\n12\r\n13\r\n\r\n"
    "21\r\n22\r\n23\r\n24\r\n25\r\n\r\n"
    "31\r\n32\r\n33\r\n34\r\n35\r\n36\r\n\r\n"
    "10\r\n4\r\n";

// Every entry under the working directory with what it holds, so that a
// comparison catches a changed byte, a left-over file or a missing one.
std::vector<std::string> Snapshot() {
    std::vector<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(".")) {
        std::string line = entry.path().string() + " : ";
        if (entry.is_symlink()) {
            line += "link to " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            line += "directory";
        } else {
            line += Read_File(entry.path());
        }
        entries.push_back(line);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

std::string Joined(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) text += "  " + entry + "\n";
    return text;
}

// Saves and reports what went wrong, if anything, for a save that must fail:
// it must return 0 and leave every file exactly as it was.
std::string Problem_With_Failed_Save() {
    const std::vector<std::string> before = Snapshot();
    const int result = Save_Hero_Status();
    const std::vector<std::string> after = Snapshot();
    std::string problem;
    if (result != 0) problem += "the save returned " + std::to_string(result) + "\n";
    if (after != before) problem += "files before:\n" + Joined(before) + "files after:\n" + Joined(after);
    return problem;
}

// Child processes report through their exit status.
constexpr int Child_Passed = 0;
constexpr int Child_Failed = 1;
constexpr int Child_Cannot_Set_Up = 77;

// Runs `body` in a child process, where limits, lost privileges and private
// mounts cannot leak into the other tests.
template <typename Body>
int In_Child(Body body) {
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int code = body();
        std::fflush(nullptr);
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int Report(const std::string& problem) {
    if (problem.empty()) return Child_Passed;
    std::fprintf(stderr, "%s", problem.c_str());
    return Child_Failed;
}

// Mounts made after this are seen by this process alone and vanish with it.
bool Enter_Private_Mounts() {
    return unshare(CLONE_NEWNS) == 0 && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

class Hero_Save : public Work_Dir_Test {
protected:
    void SetUp() override {
        Work_Dir_Test::SetUp();
        hero = Sample_Hero();
    }

    void Expect_Child_Passes(int code) {
        if (code == Child_Cannot_Set_Up) GTEST_SKIP() << "this system does not allow the set-up";
        EXPECT_EQ(code, Child_Passed) << "see the child's report above";
    }
};

TEST_F(Hero_Save, WritesTheLayoutWithCrLfLineEnds) {
    ASSERT_EQ(Save_Hero_Status(), 1);
    EXPECT_EQ(Read_File(Hero_File_Name), Sample_File);
}

TEST_F(Hero_Save, RoundTripsEveryFieldAtTheEndsOfItsRange) {
    std::vector<Hero_Status_Info> cases(4, Sample_Hero());
    Hero_Status_Info& lowest = cases[1];
    Set_Name(lowest, "a");
    lowest.hp = -32768;
    lowest.attack = lowest.defense = lowest.stat4 = lowest.stat5 = lowest.stat6 = 0;
    lowest.rating = lowest.exp = 0;
    lowest.level = lowest.aux = lowest.x = lowest.y = 0;
    lowest.group3 = {};
    lowest.group4 = {};
    lowest.group5 = {};
    Hero_Status_Info& highest = cases[2];
    Set_Name(highest, "ABCDEFGHIJKLMNOPQRSTUVWXYZ_29");  // the longest name that fits
    highest.hp = 32767;
    highest.attack = highest.defense = highest.stat4 = highest.stat5 = highest.stat6 = 65535;
    highest.rating = highest.exp = 4294967295u;
    highest.level = highest.aux = highest.x = highest.y = 65535;
    highest.group3.fill(65535);
    highest.group4.fill(65535);
    highest.group5.fill(65535);
    Hero_Status_Info& middle = cases[3];
    // Shift-JIS: fourteen double-byte characters then one byte, 29 in all.
    Set_Name(middle, "\x83\x6E\x83\x8D\x83\x8B\x83\x68\x83\x6E\x83\x8D\x83\x8B\x83\x68"
                     "\x83\x6E\x83\x8D\x83\x8B\x83\x68\x83\x6E\x83\x8D\x41");
    middle.hp = -5;
    middle.rating = 2147483648u;
    middle.exp = 2147483647u;
    for (const Hero_Status_Info& record : cases) {
        SCOPED_TRACE(record.name.data());
        hero = record;
        ASSERT_EQ(Save_Hero_Status(), 1);
        std::memset(&hero, 0x5A, sizeof hero);
        ASSERT_EQ(Load_Hero_Status(), 1);
        const auto fields = [](const Hero_Status_Info& h) {
            return std::tuple(std::string(h.name.data()), h.hp, h.attack, h.defense, h.stat4, h.stat5, h.stat6,
                              h.rating, h.exp, h.level, h.aux, h.group3, h.group4, h.group5, h.x, h.y);
        };
        EXPECT_EQ(fields(hero), fields(record));
    }
    // The last file is the middle case: how its signed values are written.
    const std::string text = Read_File(Hero_File_Name);
    EXPECT_NE(text.find("\r\n\r\n-5\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\r\n-2147483648\r\n2147483647\r\n"), std::string::npos) << text;
}

TEST_F(Hero_Save, ReplacesALongerFileWholeAndLeavesNothingElse) {
    Write_File(Hero_File_Name, std::string(5000, '7'));
    ASSERT_EQ(Save_Hero_Status(), 1);
    EXPECT_EQ(Snapshot(), (std::vector<std::string>{std::string("./") + Hero_File_Name + " : " + Sample_File}));
}

// A child process that is still running (locking a file first, if given) or
// one that has ended; its id names save files in the tests below.
struct Child {
    pid_t pid = -1;
    int release = -1;  // closing it ends the child
};

Child Running_Child(const std::string& lock_path = "") {
    std::array<int, 2> go{};
    std::array<int, 2> ready{};
    if (pipe(go.data()) != 0 || pipe(ready.data()) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        if (!lock_path.empty()) {
            const int descriptor = open(lock_path.c_str(), O_RDWR);
            struct flock lock {};
            lock.l_type = F_WRLCK;
            if (descriptor < 0 || fcntl(descriptor, F_SETLK, &lock) != 0) _exit(1);
        }
        close(go[1]);
        char byte = 0;
        if (write(ready[1], &byte, 1) != 1) _exit(1);
        while (read(go[0], &byte, 1) > 0) {
        }
        _exit(0);
    }
    close(go[0]);
    close(ready[1]);
    char byte = 0;
    if (read(ready[0], &byte, 1) != 1) return {};
    close(ready[0]);
    return {pid, go[1]};
}

void End(Child& child) {
    close(child.release);
    waitpid(child.pid, nullptr, 0);
}

void Age(const std::string& path) {
    const auto two_minutes_ago = fs::file_time_type::clock::now() - std::chrono::minutes(2);
    fs::last_write_time(path, two_minutes_ago);
}

TEST_F(Hero_Save, LeftoversOfInterruptedSavesAreRemovedButNeverARunningSavesFile) {
    const std::string base = std::string(Hero_File_Name) + ".saving-";
    Child ended = Running_Child();
    End(ended);
    Child running = Running_Child();
    const std::string of_running = base + std::to_string(running.pid) + "-";
    const std::string of_ended = base + std::to_string(ended.pid) + "-";
    const struct {
        std::string name;
        bool aged;
        bool locked;
        bool kept;
        const char* why;
    } cases[] = {
        {base + "7", true, false, false, "an older build's, long untouched"},
        {base + "8", false, false, true, "an older build's, maybe still being written"},
        {base + "10", true, true, true, "an older build's, long untouched but locked: still being written"},
        {of_ended + "0", false, false, false, "its writer has ended"},
        {of_ended + "1", false, true, true, "its writer's id is gone here, but a save (another machine's) locks it"},
        {of_ended + "2", true, true, true, "long untouched, writer gone, but locked"},
        {of_running + "0", false, true, true, "locked by a running save"},
        {of_running + "1", false, false, true, "brand-new: its writer may not have locked it yet"},
        {of_running + "2", true, false, false, "long untouched and not locked"},
        {of_running + "3", true, true, true, "long untouched but locked by a running save"},
        {base + std::to_string(getpid()) + "-0", false, false, false, "named after this very process, which has made none"},
    };
    std::vector<Child> lockers;
    for (const auto& c : cases) {
        Write_File(c.name, "left");
        if (c.aged) Age(c.name);
        if (c.locked) lockers.push_back(Running_Child(c.name));
    }
    Write_File("victim.txt", "victim");
    fs::create_symlink("victim.txt", base + "9");  // planted: never written through, never removed

    ASSERT_EQ(Save_Hero_Status(), 1);
    EXPECT_EQ(Read_File(Hero_File_Name), Sample_File);
    for (const auto& c : cases) EXPECT_EQ(fs::exists(c.name), c.kept) << c.name << ": " << c.why;
    EXPECT_EQ(Read_File("victim.txt"), "victim");
    EXPECT_TRUE(fs::is_symlink(base + "9"));
    // Last made, first ended: each child holds the release ends of those made before it.
    for (auto locker = lockers.rbegin(); locker != lockers.rend(); ++locker) {
        EXPECT_GT(locker->pid, 0) << "a locker could not lock its file";
        if (locker->pid > 0) End(*locker);
    }
    End(running);
}

// Saves killed at random points used to leave files that, a hundred of them
// later, made every save fail.
TEST_F(Hero_Save, KilledSavesNeverMakeALaterOneFail) {
    for (int n = 0; n < 100; ++n) Write_File(std::string(Hero_File_Name) + ".saving-" + std::to_string(n), "old");
    uint32_t random = 12345;
    // Each save clears what the saves killed before it left, so the rounds go
    // on until the last kill, too, cuts a save short.
    const auto cut_short = [] { return Snapshot().size() > 1u + 100u; };
    for (int round = 0; round < 60 || (round < 5000 && !cut_short()); ++round) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (;;) Save_Hero_Status();
        }
        random = random * 1103515245u + 12345u;
        usleep(200 + (random >> 16) % 3000);
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    ASSERT_TRUE(cut_short()) << "no save was cut short: the test proves nothing";
    ASSERT_EQ(Save_Hero_Status(), 1);
    EXPECT_EQ(Read_File(Hero_File_Name), Sample_File);
    // What the killed saves left is gone; the older build's files are not ours to judge yet.
    EXPECT_EQ(Snapshot().size(), 1u + 100u) << Joined(Snapshot());
}

TEST_F(Hero_Save, WritesThroughSymbolicLinksAndKeepsThePermissions) {
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links;  // name, what it points to
        const char* file;  // where the hero ends up
        bool exists;
        fs::perms mode;
    } cases[] = {
        {"a plain file", {}, Hero_File_Name, true, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read},
        {"a link into another folder", {{Hero_File_Name, "store/hero.txt"}}, "store/hero.txt", true,
         fs::perms::owner_read | fs::perms::owner_write},
        {"a chain of links", {{Hero_File_Name, "store/link"}, {"store/link", "hero.txt"}}, "store/hero.txt", true,
         fs::perms::owner_read | fs::perms::owner_write},
        {"a link to nothing yet", {{Hero_File_Name, "store/new.txt"}}, "store/new.txt", false, fs::perms::none},
        {"a link in a folder to a full path",
         {{Hero_File_Name, "store/link"}, {"store/link", (Dir() / "store/hero.txt").string()}}, "store/hero.txt", true, fs::perms::owner_read | fs::perms::owner_write},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all("store");
        fs::remove(Hero_File_Name);
        fs::create_directory("store");
        if (c.exists) {
            Write_File(c.file, "the old hero");
            fs::permissions(c.file, c.mode);
        }
        for (const auto& [name, to] : c.links) fs::create_symlink(to, name);
        ASSERT_EQ(Save_Hero_Status(), 1);
        EXPECT_EQ(Read_File(c.file), Sample_File);
        for (const auto& link : c.links) EXPECT_TRUE(fs::is_symlink(link.first)) << link.first;
        if (c.exists) {
            EXPECT_EQ(fs::status(c.file).permissions(), c.mode);
        }
        EXPECT_EQ(Snapshot().size(), 2u + c.links.size()) << Joined(Snapshot());  // the folder, the file, the links
    }
}

// As far along a chain of links as the system follows (Linux: 40), and no further.
TEST_F(Hero_Save, FollowsAChainOfLinksAsFarAsTheSystemDoes) {
    const struct {
        int links;
        bool saved;
    } cases[] = {{40, true}, {41, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.links << " links");
        for (const auto& entry : fs::directory_iterator(".")) fs::remove(entry.path());
        Write_File("end.txt", "the old hero");
        for (int i = 1; i < c.links; ++i) fs::create_symlink(i + 1 < c.links ? "l" + std::to_string(i + 1) : "end.txt", "l" + std::to_string(i));
        fs::create_symlink(c.links > 1 ? "l1" : "end.txt", Hero_File_Name);
        // The system's own answer for the same chain.
        const int descriptor = open(Hero_File_Name, O_RDONLY);
        EXPECT_EQ(descriptor >= 0, c.saved) << "the system follows another number of links";
        if (descriptor >= 0) close(descriptor);
        if (c.saved) {
            EXPECT_EQ(Save_Hero_Status(), 1);
            EXPECT_EQ(Read_File("end.txt"), Sample_File);
            EXPECT_TRUE(fs::is_symlink(Hero_File_Name));
        } else {
            EXPECT_EQ(Problem_With_Failed_Save(), "");
        }
    }
}

TEST_F(Hero_Save, KeepsTheOwnerAndGroupWherePermitted) {
    if (geteuid() != 0) GTEST_SKIP() << "only a privileged process can give a file another owner";
    constexpr uid_t Nobody = 65534;
    Write_File(Hero_File_Name, "the old hero");
    ASSERT_EQ(chown(Hero_File_Name, Nobody, Nobody), 0);
    ASSERT_EQ(Save_Hero_Status(), 1);
    struct stat saved {};
    ASSERT_EQ(stat(Hero_File_Name, &saved), 0);
    EXPECT_EQ(saved.st_uid, Nobody);
    EXPECT_EQ(saved.st_gid, Nobody);
}

TEST_F(Hero_Save, RefusesANameThatWouldNotReadBack) {
    Write_File(Hero_File_Name, "the old hero");
    const std::array<std::string, 7> names{
        std::string(""),
        std::string("two words"),
        std::string("tab\there"),
        std::string("end\x1Aof file"),
        std::string("Ctrl\x1AZ"),  // no separator: only the Ctrl+Z, which ends the file on reading
        std::string(28, 'a') + "\x83",  // a double-byte character cut by the 29-byte limit
        std::string(30, 'a'),           // no terminating zero in the buffer
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        hero.name.fill('\0');
        std::copy(name.begin(), name.end(), hero.name.begin());
        EXPECT_EQ(Problem_With_Failed_Save(), "");
    }
    // A double-byte character that ends exactly at the limit fits.
    Set_Name(hero, std::string(27, 'a') + "\x83\x6E");
    EXPECT_EQ(Save_Hero_Status(), 1);
}

TEST_F(Hero_Save, FailsWhenTheNameIsTakenByADirectory) {
    fs::create_directory(Hero_File_Name);
    Write_File(fs::path(Hero_File_Name) / "inside.txt", "kept");
    EXPECT_EQ(Problem_With_Failed_Save(), "");
}

TEST_F(Hero_Save, FailsInADirectoryItCannotWrite) {
    ASSERT_EQ(Save_Hero_Status(), 1);
    hero.exp = 999999;
    Expect_Child_Passes(In_Child([] {
        chmod(".", 0555);
        if (geteuid() == 0) {
            // Root writes anywhere; become an ordinary user for whom the mode holds.
            constexpr uid_t Nobody = 65534;
            if (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0) {
                return Child_Cannot_Set_Up;
            }
        }
        if (access(".", W_OK) == 0) return Report("the directory is still writable\n");
        return Report(Problem_With_Failed_Save());
    }));
}

TEST_F(Hero_Save, FailsOnAReadOnlyFileSystem) {
    ASSERT_EQ(Save_Hero_Status(), 1);
    hero.exp = 999999;
    const std::string here = Dir().string();
    Expect_Child_Passes(In_Child([&here] {
        if (!Enter_Private_Mounts()) return Child_Cannot_Set_Up;
        if (mount(here.c_str(), here.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, here.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
            return Child_Cannot_Set_Up;
        }
        if (chdir(here.c_str()) != 0) return Report("cannot enter the read-only mount\n");
        return Report(Problem_With_Failed_Save());
    }));
}

TEST_F(Hero_Save, FailsWhenWritesAreRefusedPastAFileSizeLimit) {
    ASSERT_EQ(Save_Hero_Status(), 1);
    hero.exp = 999999;
    Expect_Child_Passes(In_Child([] {
        // Writes past the limit fail with EFBIG rather than killing the process.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64, 64};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return Child_Cannot_Set_Up;
        return Report(Problem_With_Failed_Save());
    }));
}

TEST_F(Hero_Save, FailsOnAFullDevice) {
    Expect_Child_Passes(In_Child([] {
        if (!Enter_Private_Mounts()) return Child_Cannot_Set_Up;
        fs::create_directory("disk");
        if (mount("tmpfs", "disk", "tmpfs", 0, "size=16k") != 0) return Child_Cannot_Set_Up;
        if (chdir("disk") != 0) return Report("cannot enter the small disk\n");
        if (Save_Hero_Status() != 1) return Report("the first save on the small disk failed\n");
        // Fill what is left.
        std::FILE* filler = std::fopen("filler", "wb");
        const std::string block(4096, 'f');
        while (std::fwrite(block.data(), 1, block.size(), filler) == block.size() && std::fflush(filler) == 0) {
        }
        std::fclose(filler);
        hero.exp = 999999;
        const std::string problem = Problem_With_Failed_Save();
        if (!problem.empty()) return Report(problem);
        // With room again the same save goes through: the space was the cause.
        fs::remove("filler");
        if (Save_Hero_Status() != 1) return Report("the save failed with room on the disk\n");
        return Report(Read_File(Hero_File_Name).find("999999") == std::string::npos ? "not saved\n" : "");
    }));
}

TEST_F(Hero_Save, FailsWhenTheOldFileCannotBeReplacedAndKeepsIt) {
    // The last step fails: the hero file is a mount point, which rename refuses.
    ASSERT_EQ(Save_Hero_Status(), 1);
    hero.exp = 999999;
    Expect_Child_Passes(In_Child([] {
        if (!Enter_Private_Mounts()) return Child_Cannot_Set_Up;
        if (mount(Hero_File_Name, Hero_File_Name, nullptr, MS_BIND, nullptr) != 0) return Child_Cannot_Set_Up;
        const std::string problem = Problem_With_Failed_Save();
        if (!problem.empty()) return Report(problem);
        if (umount(Hero_File_Name) != 0) return Report("cannot unmount\n");
        return Report(Save_Hero_Status() == 1 ? "" : "the save failed once the file was free\n");
    }));
}

}  // namespace
