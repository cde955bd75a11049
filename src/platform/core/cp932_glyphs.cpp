// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/cp932_glyphs.h"

namespace platform {

namespace {

int Lead_Index(uint8_t lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0x9F - 0x81 + 1); }

int Trail_Index(uint8_t trail) { return trail - 0x40; }

// A converter's output goes to the terminal as it is, so it must hold no
// control byte: not C0, not DEL, and not a C1 control as the terminal's
// character set would read one.
bool Is_C1_Control(const uint8_t* bytes, int length, int i, Terminal_Charset charset) {
    const uint8_t byte = bytes[i];
    switch (charset) {
        case Terminal_Charset::Utf8:
            return byte == 0xC2 && i + 1 < length && bytes[i + 1] >= 0x80 && bytes[i + 1] <= 0x9F;
        case Terminal_Charset::Shift_Jis:
            return false;
        case Terminal_Charset::Euc:
            if (i == 0 && (byte == 0x8E || byte == 0x8F)) return false;
            return byte >= 0x80 && byte <= 0x9F;
        case Terminal_Charset::Other:
            return byte >= 0x80 && byte <= 0x9F;
    }
    return true;
}

bool Is_Printable_Output(const uint8_t* bytes, int length, Terminal_Charset charset) {
    for (int i = 0; i < length; ++i) {
        if (bytes[i] < 0x20 || bytes[i] == 0x7F || Is_C1_Control(bytes, length, i, charset)) return false;
    }
    return true;
}

Glyph_Bytes Convert(Glyph_Converter convert, Terminal_Charset charset, const uint8_t* in, int in_length) {
    Glyph_Bytes glyph;
    if (convert == nullptr) return glyph;
    std::array<uint8_t, 8> out{};
    const int length = convert(in, in_length, out.data(), static_cast<int>(out.size()));
    if (length <= 0 || length > static_cast<int>(glyph.bytes.size())) return glyph;
    if (!Is_Printable_Output(out.data(), length, charset)) return glyph;
    for (int i = 0; i < length; ++i) glyph.bytes[static_cast<size_t>(i)] = out[static_cast<size_t>(i)];
    glyph.length = static_cast<uint8_t>(length);
    return glyph;
}

Glyph_Bytes Ascii_Glyph(uint8_t byte) {
    Glyph_Bytes glyph;
    glyph.bytes[0] = byte;
    glyph.length = 1;
    return glyph;
}

const Glyph_Bytes& Pair_Glyph(const Glyph_Table& table, uint8_t lead, uint8_t trail) {
    return table.pairs[static_cast<size_t>(Lead_Index(lead))][static_cast<size_t>(Trail_Index(trail))];
}

}  // namespace

void Fill_Glyph_Table(Glyph_Table& table, Glyph_Converter convert, Terminal_Charset charset) {
    table.charset = charset;
    for (int byte = 0; byte < 256; ++byte) {
        const auto b = static_cast<uint8_t>(byte);
        Glyph_Bytes glyph;
        // Only the bytes that are characters on their own get one; whatever a
        // converter makes of 0x80, 0xA0 or 0xFD..0xFF, they stay placeholders.
        if (Is_Cp932_Single(b)) glyph = convert ? Convert(convert, charset, &b, 1) : (b < 0x80 ? Ascii_Glyph(b) : glyph);
        table.singles[static_cast<size_t>(byte)] = glyph;
    }
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!Is_Cp932_Lead(static_cast<uint8_t>(lead))) continue;
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::array<uint8_t, 2> pair = {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
            Glyph_Bytes glyph;
            if (Is_Cp932_Trail(pair[1])) glyph = Convert(convert, charset, pair.data(), 2);
            table.pairs[static_cast<size_t>(Lead_Index(pair[0]))][static_cast<size_t>(Trail_Index(pair[1]))] = glyph;
        }
    }
}

void Layout_Row(const uint8_t* cells, int count, const Glyph_Table& table, Cell_Code* codes) {
    int column = 0;
    while (column < count) {
        const uint8_t byte = cells[column];
        if (Is_Cp932_Lead(byte) && column + 1 < count && Is_Cp932_Trail(cells[column + 1])) {
            const uint8_t trail = cells[column + 1];
            const bool known = Pair_Glyph(table, byte, trail).length > 0;
            // A pair with no character is still read as a pair: its trail
            // byte is not taken for a character of its own.
            codes[column] = known ? static_cast<Cell_Code>(byte << 8 | trail) : Cell_Placeholder;
            codes[column + 1] = known ? Cell_Second_Half : Cell_Placeholder;
            column += 2;
            continue;
        }
        codes[column] = table.singles[byte].length > 0 ? Cell_Code{byte} : Cell_Placeholder;
        ++column;
    }
}

std::string_view Glyph_Of(const Glyph_Table& table, Cell_Code code) {
    const Glyph_Bytes* glyph = nullptr;
    if (Is_Double_Start(code)) {
        glyph = &Pair_Glyph(table, static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code & 0xFF));
    } else if (code < 0x100) {
        glyph = &table.singles[code];
    }
    if (glyph == nullptr || glyph->length == 0) return Placeholder_Glyph;
    return {reinterpret_cast<const char*>(glyph->bytes.data()), glyph->length};
}

}  // namespace platform
