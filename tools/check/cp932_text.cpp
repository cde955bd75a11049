#include "cp932_text.h"

#include <memory>
#include <vector>

namespace {

// Any one printable byte will do: only whether there is a glyph counts.
int Any_Glyph(const uint8_t*, int, uint8_t* out, int out_capacity) {
    if (out_capacity < 1) return -1;
    out[0] = 'x';
    return 1;
}

std::vector<platform::Cell_Code> Layout(std::string_view bytes, const platform::Glyph_Table& table) {
    std::vector<platform::Cell_Code> codes(bytes.size());
    platform::Layout_Row(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()), table,
                         codes.data());
    return codes;
}

}  // namespace

const platform::Glyph_Table& Code_Page_Table() {
    static const std::unique_ptr<platform::Glyph_Table> table = [] {
        auto filled = std::make_unique<platform::Glyph_Table>();
        platform::Fill_Glyph_Table(*filled, Any_Glyph);
        return filled;
    }();
    return *table;
}

std::string Made_Safe(std::string_view bytes) {
    const std::vector<platform::Cell_Code> codes = Layout(bytes, Code_Page_Table());
    std::string safe;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (codes[i] == platform::Cell_Placeholder) {
            safe += '?';
        } else {
            safe += bytes[i];  // a single byte, or either byte of a pair
        }
    }
    return safe;
}

std::string Quoted(std::string_view bytes, size_t limit) {
    const std::string safe = Made_Safe(bytes);
    if (safe.size() <= limit) return "'" + safe + "'";
    size_t end = 0;
    while (end < safe.size()) {
        // Safe text holds no lone lead byte: a lead byte starts a pair.
        const size_t width = platform::Is_Cp932_Lead(static_cast<uint8_t>(safe[end])) ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return "'" + safe.substr(0, end) + "...'";
}

size_t First_Non_Character(std::string_view bytes) {
    const std::vector<platform::Cell_Code> codes = Layout(bytes, Code_Page_Table());
    for (size_t i = 0; i < codes.size(); ++i) {
        if (codes[i] == platform::Cell_Placeholder) return i;
    }
    return std::string_view::npos;
}

std::string Shown(std::string_view safe_text, const platform::Glyph_Table& output, bool json) {
    const std::vector<platform::Cell_Code> codes = Layout(safe_text, output);
    std::string shown;
    for (const platform::Cell_Code code : codes) {
        if (code == platform::Cell_Second_Half) continue;
        if (json && (code == '"' || code == '\\')) shown += '\\';
        shown += platform::Glyph_Of(output, code);
    }
    return shown;
}

std::string Hex_Byte(uint8_t byte) {
    constexpr std::string_view Digits = "0123456789ABCDEF";
    return std::string("0x") + Digits[byte >> 4] + Digits[byte & 0x0F];
}
