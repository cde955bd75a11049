#include "findings.h"

#include <algorithm>
#include <array>
#include <filesystem>

#include "data/text_reader.h"
#include "platform/core/cp932_glyphs.h"

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

std::string Count_Of(long count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

const char* Is_Are(long count) { return count == 1 ? "is" : "are"; }

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

Excerpt Excerpt_Of(const std::string& path, Position at) {
    Text_File text;
    if (!Open_Text_File(text, path.c_str())) return {};
    std::string line = Line_Bytes(text.file, at.line, at.column + Excerpt_Columns);
    Close_Text_File(text);
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

std::string Findings::Path(std::string_view name) const {
    if (folder.empty()) return std::string(name);
    return (std::filesystem::path(folder) / std::filesystem::path(name)).string();
}

void Findings::Add(std::string_view name, Position at, Severity severity, std::string message) {
    list.push_back({Path(name), at, severity, std::move(message)});
}
