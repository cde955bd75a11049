// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "findings.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <filesystem>
#include <string_view>

#include "data/text_reader.h"
#include "platform/core/cp932_glyphs.h"
#include "status_check.h"
#include "unicode_cp932.h"

const char* Severity_Name(Severity severity) {
    switch (severity) {
        case Severity::Error: return "error";
        case Severity::Warning: return "warning";
        case Severity::Note: return "note";
    }
    return "note";
}

int Exit_Status(const std::vector<Finding>& findings) {
    const auto has = [&](Severity severity) {
        return std::any_of(findings.begin(), findings.end(), [&](const Finding& f) { return f.severity == severity; });
    };
    if (has(Severity::Error)) return 2;
    if (has(Severity::Warning)) return 1;
    return 0;
}

Position Position_Of(std::string_view bytes, long offset) {
    Position at;
    const size_t end = std::min(bytes.size(), static_cast<size_t>(std::max(offset, 0L)));
    for (size_t i = 0; i < end; ++i) {
        if (bytes[i] == '\n') {
            ++at.line;
            at.column = 1;
        } else {
            ++at.column;
        }
    }
    return at;
}

long File_Size(std::FILE* file) {
    if (std::fseek(file, 0, SEEK_END) != 0) return 0;
    return std::max(std::ftell(file), 0L);
}

std::string First_Bytes(std::FILE* file, long count) {
    std::string bytes(static_cast<size_t>(std::max(count, 0L)), '\0');
    if (std::fseek(file, 0, SEEK_SET) != 0) return {};
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    return bytes;
}

std::string Format(const char* text, ...) {
    std::va_list arguments;
    va_start(arguments, text);
    std::va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, text, arguments);
    va_end(arguments);
    std::string formatted(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    (void)std::vsnprintf(formatted.data(), formatted.size(), text, again);
    va_end(again);
    formatted.resize(static_cast<size_t>(std::max(length, 0)));
    return formatted;
}

namespace {

// An excerpt shows this many columns at most, and starts this far before the
// caret when the line is longer.
constexpr long Excerpt_Columns = 100;
constexpr long Excerpt_Lead = 40;
// How far into a file its lines are looked for: a finding past this shows none.
constexpr long Most_Bytes_Scanned = 1L << 20;

// The bytes of line `line` up to column `last`, read in blocks.
std::string Line_Bytes(std::FILE* file, long line, long last) {
    std::array<char, 4096> block{};
    std::string bytes;
    long at_line = 1;
    long scanned = 0;
    while (scanned < Most_Bytes_Scanned) {
        const size_t got = std::fread(block.data(), 1, block.size(), file);
        if (got == 0) break;
        for (size_t i = 0; i < got; ++i) {
            if (at_line == line) {
                if (block[i] == '\n' || static_cast<long>(bytes.size()) >= last) return bytes;
                bytes += block[i];
            } else if (block[i] == '\n') {
                ++at_line;
            }
        }
        scanned += static_cast<long>(got);
    }
    return at_line == line ? bytes : std::string();
}

// The length of the character starting at `i`: a lead byte followed by a
// trail byte is one character of two bytes.
size_t Character_Length(std::string_view bytes, size_t i) {
    const bool pair = platform::Is_Cp932_Lead(static_cast<uint8_t>(bytes[i])) && i + 1 < bytes.size() &&
                      platform::Is_Cp932_Trail(static_cast<uint8_t>(bytes[i + 1]));
    return pair ? 2 : 1;
}

}  // namespace

namespace {

// Line `line` of a file as the game would read it: in UTF-8, put into code
// page 932 first, without the byte-order mark.
std::string Line_Of(const std::string& path, long line, long last, const Unicode_To_Cp932* utf8) {
    Text_File text;
    if (!Open_Text_File(text, path.c_str())) return {};
    // A UTF-8 character takes up to 3 bytes for the 2 columns it shows in.
    std::string bytes = Line_Bytes(text.file, line, utf8 != nullptr ? 3 * last : last);
    Close_Text_File(text);
    if (utf8 == nullptr) return bytes;
    if (line == 1 && bytes.starts_with(Utf8_Bom)) bytes.erase(0, Utf8_Bom.size());
    return Cp932_From_Utf8(bytes, *utf8).bytes;
}

}  // namespace

Position Screen_Position(const std::string& path, Position at, const Unicode_To_Cp932& utf8) {
    Text_File text;
    if (!Open_Text_File(text, path.c_str())) return at;
    std::string bytes = Line_Bytes(text.file, at.line, at.column - 1);
    Close_Text_File(text);
    long bom = 0;
    if (at.line == 1 && bytes.starts_with(Utf8_Bom)) {
        bytes.erase(0, Utf8_Bom.size());
        bom = static_cast<long>(Utf8_Bom.size());
    }
    if (static_cast<long>(bytes.size()) + bom < at.column - 1) return at;  // past what was looked at
    return {at.line, static_cast<long>(Cp932_From_Utf8(bytes, utf8).bytes.size()) + 1};
}

Excerpt Excerpt_Of(const std::string& path, Position at, const Unicode_To_Cp932* utf8) {
    std::string line = Line_Of(path, at.line, at.column + Excerpt_Columns, utf8);
    if (!line.empty() && line.back() == '\r') line.pop_back();  // text mode drops it
    if (line.empty()) return {};
    const auto caret_byte = static_cast<size_t>(std::max(at.column - 1, 0L));
    if (caret_byte > line.size()) return {};  // past what was looked at
    // Start and end on character boundaries, so that no half character shows.
    const auto lead = static_cast<size_t>(Excerpt_Lead);
    size_t start = 0;
    while (caret_byte > lead && start < line.size()) {
        const size_t length = Character_Length(line, start);
        if (start + length > caret_byte - lead) break;
        start += length;
    }
    size_t end = start;
    while (end < line.size()) {
        const size_t length = Character_Length(line, end);
        if (end + length - start > static_cast<size_t>(Excerpt_Columns)) break;
        end += length;
    }
    Excerpt excerpt;
    if (start > 0) excerpt.text = "...";
    excerpt.text += line.substr(start, end - start);
    if (end < line.size()) excerpt.text += "...";
    excerpt.caret = static_cast<long>(caret_byte - std::min(caret_byte, start)) + (start > 0 ? 3 : 0);
    return excerpt;
}

namespace {

// Sign and digits, one byte at a time, as far as they go.
struct Number_Reading {
    Written_Number number;
    bool started = false;
    bool done = false;

    void Feed(uint8_t byte) {
        if (done) return;
        if (!started && (byte == '-' || byte == '+')) {
            number.negative = byte == '-';
        } else if (byte < '0' || byte > '9') {
            done = true;
        } else if (!number.past_32_bits) {
            number.magnitude = number.magnitude * 10 + (byte - '0');
            number.past_32_bits = number.magnitude > UINT32_MAX;
        }
        started = true;
    }
};

// What ends a token: white space, or the Ctrl+Z that ends the file.
constexpr std::array<bool, 256> Token_Ends = [] {
    std::array<bool, 256> ends{};
    for (int c = 0; c < 256; ++c) ends[static_cast<size_t>(c)] = Is_Space(c) || c == 0x1A;
    return ends;
}();

// One token being looked at, until the white space, Ctrl+Z or end after it.
struct Open_Token {
    Token_Look* look;
    Number_Reading reading;
    bool ended = false;

    // Takes the token's bytes from `bytes`, up to its end.
    void Feed(std::string_view bytes) {
        const auto end = std::find_if(bytes.begin(), bytes.end(),
                                      [](char c) { return Token_Ends[static_cast<uint8_t>(c)]; });
        ended = end != bytes.end();
        const std::string_view token = bytes.substr(0, static_cast<size_t>(end - bytes.begin()));
        look->head += token.substr(0, Token_Head_Bytes - look->head.size());
        look->length += static_cast<long>(token.size());
        for (const char c : token) {
            if (reading.done || reading.number.past_32_bits) break;  // nothing more to learn
            reading.Feed(static_cast<uint8_t>(c));
        }
        look->number = reading.number;
    }
};

void Move_On(Position& at, std::string_view bytes) {
    const auto line_feeds = std::count(bytes.begin(), bytes.end(), '\n');
    if (line_feeds == 0) {
        at.column += static_cast<long>(bytes.size());
        return;
    }
    at.line += static_cast<long>(line_feeds);
    at.column = 1 + static_cast<long>(std::find(bytes.rbegin(), bytes.rend(), '\n') - bytes.rbegin());
}

}  // namespace

std::vector<Token_Look> Look_At_Tokens(std::FILE* file, std::vector<long> offsets, long limit) {
    std::erase_if(offsets, [](long offset) { return offset < 0; });
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    std::vector<Token_Look> looks(offsets.size());
    for (size_t i = 0; i < offsets.size(); ++i) looks[i].offset = offsets[i];
    std::vector<Open_Token> open;
    Position at;
    long offset = 0;
    size_t next = 0;  // the first look not yet reached
    std::array<char, size_t{64} * 1024> chunk{};
    const bool readable = std::fseek(file, 0, SEEK_SET) == 0;
    while (readable && offset < limit && (next < looks.size() || !open.empty())) {
        const auto wanted = static_cast<size_t>(std::min<long>(static_cast<long>(chunk.size()), limit - offset));
        const size_t got = std::fread(chunk.data(), 1, wanted, file);
        if (got == 0) break;
        // Run by run between the offsets looked at: every open token takes
        // what it can of the run, and the run moves the position on.
        for (size_t i = 0; i < got;) {
            while (next < looks.size() && looks[next].offset == offset) {
                looks[next].at = at;
                open.push_back({&looks[next], {}});
                ++next;
            }
            const long to_next = next < looks.size() ? looks[next].offset - offset : static_cast<long>(got);
            const size_t run = std::min(got - i, static_cast<size_t>(std::max(to_next, 1L)));
            const std::string_view bytes(chunk.data() + i, run);
            for (Open_Token& token : open) token.Feed(bytes);
            std::erase_if(open, [](const Open_Token& token) { return token.ended; });
            Move_On(at, bytes);
            i += run;
            offset += static_cast<long>(run);
        }
    }
    // A token still open ends with the file, or goes on past the limit.
    const bool cut_at_limit = readable && offset >= limit && std::fgetc(file) != EOF;
    for (Open_Token& token : open) token.look->length_known = !cut_at_limit;
    for (; next < looks.size(); ++next) looks[next].at = at;
    return looks;
}

const Token_Look* Look_At(const std::vector<Token_Look>& looks, long offset) {
    const auto found = std::lower_bound(looks.begin(), looks.end(), offset,
                                        [](const Token_Look& look, long wanted) { return look.offset < wanted; });
    return found != looks.end() && found->offset == offset ? &*found : nullptr;
}

bool Position_In_Looks(const std::vector<Token_Look>& looks, long offset, Position& at) {
    auto after = std::upper_bound(looks.begin(), looks.end(), offset,
                                  [](long wanted, const Token_Look& look) { return wanted < look.offset; });
    if (after == looks.begin()) return false;
    const Token_Look& look = *(after - 1);
    const long into = offset - look.offset;
    if (into != 0 && into >= static_cast<long>(look.head.size())) return false;
    at = {look.at.line, look.at.column + into};
    return true;
}

std::string Findings::Path(std::string_view name) const {
    if (folder.empty()) return std::string(name);
    return (std::filesystem::path(folder) / std::filesystem::path(name)).string();
}

void Findings::Add(std::string_view name, Position at, Severity severity, std::string message) {
    list.push_back({Path(name), at, severity, std::move(message), {}, {}});
}
