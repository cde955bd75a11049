// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "data_fix.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <vector>

#include "cp932_text.h"
#include "data/status_files.h"
#include "field/field_map.h"
#include "platform/platform.h"
#include "shell/game.h"
#include "status_check.h"
#include "tr.h"

namespace {

// The data files are small; a file larger than this is no data file the
// game was meant to read, and is left to the author.
constexpr long Most_Bytes_Fixed = 1L << 20;
constexpr int Most_Original_Folders = 100;
constexpr long Map_Line_Bytes = Field_Columns - 1;  // 53

struct File_Fix {
    std::string name;
    std::string before;
    std::string after;
};

// The file's bytes; false when it is larger than a data file.
bool Read_Whole(std::FILE* file, std::string& bytes) {
    std::array<char, 4096> block{};
    bytes.clear();
    for (size_t got = 0; (got = std::fread(block.data(), 1, block.size(), file)) > 0;) {
        bytes.append(block.data(), got);
        if (static_cast<long>(bytes.size()) > Most_Bytes_Fixed) return false;
    }
    return true;
}

// Where a byte of UTF-8 text stands once the text is in code page 932: its
// line, and the screen column of its character.
Position Screen_Position_In(std::string_view utf8, size_t offset, const Unicode_To_Cp932& unicode) {
    const size_t line_start = utf8.rfind('\n', offset == 0 ? 0 : offset - 1);
    const size_t from = offset == 0 || line_start == std::string_view::npos ? 0 : line_start + 1;
    Position at = Position_Of(utf8, static_cast<long>(offset));
    at.column = static_cast<long>(Cp932_From_Utf8(utf8.substr(from, offset - from), unicode).bytes.size()) + 1;
    return at;
}

struct Map_Mending {
    long spaces = 0;
    Position first_space;
    long lines = 0;
    Position first_line;
    bool last_line_ended = false;
    Position last_line;
};

// In the 19 lines the game reads, full-width spaces into two half-width
// ones, and a space before the line end of each line one byte short.
std::string Mend_Map(std::string_view map, Map_Mending& mended) {
    std::string out;
    Position at;
    size_t line_start = 0;  // in `out`
    for (size_t i = 0; i < map.size();) {
        const auto byte = static_cast<uint8_t>(map[i]);
        if (byte == '\n' || (byte == '\r' && i + 1 < map.size() && map[i + 1] == '\n')) {
            const long length = static_cast<long>(out.size() - line_start);
            if (at.line <= Field_Rows && length == Map_Line_Bytes - 1) {
                if (mended.lines++ == 0) mended.first_line = {at.line, length + 1};
                out += ' ';
            }
            const size_t end = byte == '\r' ? 2 : 1;
            out.append(map.substr(i, end));
            i += end;
            ++at.line;
            at.column = 1;
            line_start = out.size();
            continue;
        }
        const bool pair = platform::Is_Cp932_Lead(byte) && i + 1 < map.size() &&
                          platform::Is_Cp932_Trail(static_cast<uint8_t>(map[i + 1]));
        const size_t length = pair ? 2 : 1;
        if (pair && byte == 0x81 && static_cast<uint8_t>(map[i + 1]) == 0x40 && at.line <= Field_Rows) {
            if (mended.spaces++ == 0) mended.first_space = at;
            out += "  ";
        } else {
            out.append(map.substr(i, length));
        }
        i += length;
        at.column += static_cast<long>(length);
    }
    // The 19th line ending the file unended, as some editors save it: ended
    // as the file's other lines are.
    const long last = static_cast<long>(out.size() - line_start);
    if (at.line == Field_Rows && (last == Map_Line_Bytes - 1 || last == Map_Line_Bytes)) {
        mended.last_line_ended = true;
        mended.last_line = {at.line, last + 1};
        if (last == Map_Line_Bytes - 1) out += ' ';
        out += map.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    }
    return out;
}

struct Fixer {
    const Unicode_To_Cp932& unicode;
    Fix_Result& result;
    std::vector<File_Fix> fixes;

    void Note(std::string_view name, Position at, std::string message) {
        result.told.Add(name, at, Severity::Note, std::move(message));
    }
    void Error(std::string_view name, Position at, std::string message, bool utf8) {
        result.told.Add(name, at, Severity::Error, std::move(message));
        result.told.list.back().utf8 = utf8;
        result.failed = true;
    }

    // The file in code page 932, or false when it cannot be put there.
    bool To_Cp932(std::string_view name, const std::string& bytes, std::string& cp932) {
        cp932 = bytes;
        const Text_Encoding encoding = Encoding_Of(bytes);
        if (encoding.utf8_at == std::string_view::npos && !encoding.bom) return true;
        const std::string_view text = std::string_view(bytes).substr(encoding.bom ? Utf8_Bom.size() : 0);
        for (size_t i = 0; i < text.size(); i += std::max<size_t>(Utf8_Length(text, i), 1)) {
            if (Utf8_Length(text, i) != 0) continue;
            Error(name, Position_Of(bytes, static_cast<long>(i + bytes.size() - text.size())),
                  Format(Tr("byte %s is not UTF-8, though the file starts as UTF-8: --fix cannot tell what it "
                            "means, so it writes no file"),
                         Hex_Byte(static_cast<uint8_t>(text[i])).c_str()),
                  false);
            return false;
        }
        const Cp932_Text converted = Cp932_From_Utf8(text, unicode);
        if (converted.missing != std::string_view::npos) {
            Error(name, Screen_Position_In(text, converted.missing, unicode),
                  Format(Tr("the character %s has no form in code page 932, which the game reads: --fix writes no "
                            "file; put another character in its place and run it again"),
                         Code_Point_Name(Code_Point(text, converted.missing, converted.missing_length)).c_str()),
                  true);
            return false;
        }
        cp932 = converted.bytes;
        Note(name, Position{},
             encoding.bom ? Tr("converted from UTF-8 into code page 932 (Shift-JIS), without its byte-order mark")
                          : Tr("converted from UTF-8 into code page 932 (Shift-JIS)"));
        return true;
    }

    void Look_At(std::string_view name) {
        const std::string path = result.told.Path(name);
        std::FILE* file = platform::Open_Data_File(path.c_str());
        if (file == nullptr) return;  // the check tells why
        std::string bytes;
        const bool whole = Read_Whole(file, bytes);
        (void)std::fclose(file);  // read only: nothing to lose
        if (!whole) {
            Error(name, Position{},
                  Format(Tr("larger than %ld bytes, more than any data file of the game: --fix writes no file"),
                         Most_Bytes_Fixed),
                  false);
            return;
        }
        std::string fixed;
        if (!To_Cp932(name, bytes, fixed)) return;
        if (name == Field_Map_File) {
            Map_Mending mended;
            fixed = Mend_Map(fixed, mended);
            if (mended.spaces > 0) {
                Note(name, mended.first_space,
                     Format(Tr("full-width spaces made two half-width spaces each, open ground: %ld"), mended.spaces));
            }
            if (mended.lines > 0) {
                Note(name, mended.first_line,
                     Format(Tr("lines of 52 bytes given a space before their line end: %ld"), mended.lines));
            }
            if (mended.last_line_ended) {
                Note(name, mended.last_line,
                     Tr("the last line the game reads given a line end (and a space before it where it was one byte "
                        "short)"));
            }
        }
        if (fixed != bytes) fixes.push_back({std::string(name), bytes, fixed});
    }
};

// The file at `path` made to hold `bytes` in one step: written beside it,
// flushed to the disk, then put in its place.
bool Write_Whole(const std::string& path, const std::string& bytes) {
    std::array<char, platform::Path_Capacity> target{};
    if (!platform::Resolve_Links(path.c_str(), target)) return false;
    std::array<char, platform::Path_Capacity> temporary{};
    std::FILE* file = platform::Create_Replacement_File(target.data(), temporary);
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                         platform::Flush_File_To_Disk(file);
    const bool closed = std::fclose(file) == 0;
    if (written && closed && platform::Replace_File(temporary.data(), target.data())) return true;
    (void)std::remove(temporary.data());
    return false;
}

// A new folder for the originals, never one an earlier fix kept its own in.
std::string New_Originals_Folder(const Findings& told) {
    for (int count = 1; count <= Most_Original_Folders; ++count) {
        const std::string name = count == 1 ? "before-fix" : "before-fix-" + std::to_string(count);
        std::string path = told.Path(name);
        std::error_code error;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, error))) continue;  // anything there is the author's
        if (std::filesystem::create_directory(path, error)) return path;
        if (error) return {};
    }
    return {};
}

void Write(Fixer& fixer) {
    Fix_Result& result = fixer.result;
    const std::string kept = New_Originals_Folder(result.told);
    if (kept.empty()) {
        fixer.Error(fixer.fixes.front().name, Position{},
                    Tr("no folder could be made to keep the originals in: --fix writes no file"), false);
        return;
    }
    result.originals_in = kept;
    for (const File_Fix& fix : fixer.fixes) {
        const std::string copy = (std::filesystem::path(kept) / fix.name).string();
        if (Write_Whole(copy, fix.before)) continue;
        fixer.Error(fix.name, Position{},
                    Tr("its original could not be kept: --fix writes no file"), false);
        return;
    }
    for (const File_Fix& fix : fixer.fixes) {
        if (Write_Whole(result.told.Path(fix.name), fix.after)) continue;
        // The files before it are mended; their originals are kept, as is this one.
        fixer.Error(fix.name, Position{},
                    Tr("could not be replaced, and is as it was: the files before it are mended, and the originals "
                       "of all are kept"),
                    false);
        return;
    }
}

}  // namespace

Fix_Result Fix_Data(const std::string& folder, const Unicode_To_Cp932& unicode, bool write) {
    Fix_Result result;
    result.told.folder = folder;
    result.told.unicode = &unicode;
    Fixer fixer{unicode, result, {}};
    fixer.Look_At(Hero_File_Name);
    for (const char* name : Monster_Files) fixer.Look_At(name);
    for (const char* name : Skill_Files) fixer.Look_At(name);
    fixer.Look_At(Field_Map_File);
    if (result.failed) {
        result.files_changed = 0;
        return result;
    }
    result.files_changed = static_cast<long>(fixer.fixes.size());
    if (write && !fixer.fixes.empty()) Write(fixer);
    return result;
}
