#include "findings.h"

#include <algorithm>
#include <filesystem>

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

std::string Findings::Path(std::string_view name) const {
    if (folder.empty()) return std::string(name);
    return (std::filesystem::path(folder) / std::filesystem::path(name)).string();
}

void Findings::Add(std::string_view name, Position at, Severity severity, std::string message) {
    list.push_back({Path(name), at, severity, std::move(message)});
}
