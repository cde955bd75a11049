// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "platform/core/key_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using platform::Decoder_Feed;
using platform::Decoder_Keys_Waiting;
using platform::Decoder_Reset;
using platform::Decoder_Take_Key;
using platform::Decoder_Tick;
using platform::Input_Encoding;
using platform::Key_Decoder;
using platform::Lone_Escape_Ms;

using Codes = std::vector<int>;

Codes Take_All(Key_Decoder& decoder) {
    Codes codes;
    for (int code = Decoder_Take_Key(decoder); code >= 0; code = Decoder_Take_Key(decoder)) codes.push_back(code);
    return codes;
}

// The bytes fed in parts cut at the given places, with a pause shorter than
// the ESC timeout between the parts, then a pause long enough to end
// anything unfinished.
Codes Decode_In_Parts(const std::string& bytes, const std::vector<size_t>& cuts,
                      Input_Encoding encoding = Input_Encoding::Utf8) {
    Key_Decoder decoder;
    Decoder_Reset(decoder, encoding);
    size_t start = 0;
    for (size_t cut : cuts) {
        Decoder_Feed(decoder, std::string_view(bytes).substr(start, cut - start));
        Decoder_Tick(decoder, Lone_Escape_Ms - 1);
        start = cut;
    }
    Decoder_Feed(decoder, std::string_view(bytes).substr(start));
    Decoder_Tick(decoder, Lone_Escape_Ms);
    return Take_All(decoder);
}

Codes Decode(const std::string& bytes, Input_Encoding encoding = Input_Encoding::Utf8) {
    return Decode_In_Parts(bytes, {}, encoding);
}

struct Key_Case {
    const char* name;
    std::string bytes;
    Codes codes;
};

const std::vector<Key_Case>& Key_Cases() {
    static const std::vector<Key_Case> cases = {
        {"up", "\x1b[A", {224, 72}},
        {"down", "\x1b[B", {224, 80}},
        {"right", "\x1b[C", {224, 77}},
        {"left", "\x1b[D", {224, 75}},
        {"up in application mode", "\x1bOA", {224, 72}},
        {"down in application mode", "\x1bOB", {224, 80}},
        {"right in application mode", "\x1bOC", {224, 77}},
        {"left in application mode", "\x1bOD", {224, 75}},
        {"home", "\x1b[H", {224, 71}},
        {"home as SS3", "\x1bOH", {224, 71}},
        {"home numbered", "\x1b[1~", {224, 71}},
        {"home numbered rxvt", "\x1b[7~", {224, 71}},
        {"end", "\x1b[F", {224, 79}},
        {"end numbered", "\x1b[4~", {224, 79}},
        {"page up", "\x1b[5~", {224, 73}},
        {"page down", "\x1b[6~", {224, 81}},
        {"insert", "\x1b[2~", {224, 82}},
        {"delete", "\x1b[3~", {224, 83}},
        {"F1", "\x1bOP", {0, 59}},
        {"F2", "\x1bOQ", {0, 60}},
        {"F3", "\x1bOR", {0, 61}},
        {"F4", "\x1bOS", {0, 62}},
        {"F1 numbered", "\x1b[11~", {0, 59}},
        {"F5", "\x1b[15~", {0, 63}},
        {"F6", "\x1b[17~", {0, 64}},
        {"F7", "\x1b[18~", {0, 65}},
        {"F8", "\x1b[19~", {0, 66}},
        {"F9", "\x1b[20~", {0, 67}},
        {"F10", "\x1b[21~", {0, 68}},
        {"F11", "\x1b[23~", {224, 133}},
        {"F12", "\x1b[24~", {224, 134}},
        {"F1 Linux console", "\x1b[[A", {0, 59}},
        {"F5 Linux console", "\x1b[[E", {0, 63}},
        {"ctrl up", "\x1b[1;5A", {224, 141}},
        {"ctrl down", "\x1b[1;5B", {224, 145}},
        {"ctrl right", "\x1b[1;5C", {224, 116}},
        {"ctrl left", "\x1b[1;5D", {224, 115}},
        {"alt up", "\x1b[1;3A", {0, 152}},
        {"alt down", "\x1b[1;3B", {0, 160}},
        {"alt right", "\x1b[1;3C", {0, 157}},
        {"alt left", "\x1b[1;3D", {0, 155}},
        {"alt up as ESC ESC", "\x1b\x1b[A", {0, 152}},
        {"meta up counts as alt", "\x1b[1;9A", {0, 152}},
        {"ctrl alt up: alt counts first", "\x1b[1;7A", {0, 152}},
        {"ctrl shift up: ctrl counts before shift", "\x1b[1;6A", {224, 141}},
        {"shift up is the plain up", "\x1b[1;2A", {224, 72}},
        {"shift left is the plain left", "\x1b[1;2D", {224, 75}},
        {"shift up rxvt", "\x1b[a", {224, 72}},
        {"ctrl up rxvt", "\x1bOa", {224, 141}},
        {"ctrl up old xterm", "\x1bO5A", {224, 141}},
        {"ctrl home", "\x1b[1;5H", {224, 119}},
        {"ctrl end", "\x1b[1;5F", {224, 117}},
        {"ctrl page up", "\x1b[5;5~", {224, 134}},
        {"ctrl page down", "\x1b[6;5~", {224, 118}},
        {"ctrl insert", "\x1b[2;5~", {224, 146}},
        {"ctrl delete", "\x1b[3;5~", {224, 147}},
        {"ctrl delete rxvt", "\x1b[3^", {224, 147}},
        {"shift delete rxvt", "\x1b[3$", {224, 83}},
        {"alt delete", "\x1b[3;3~", {0, 163}},
        {"alt home", "\x1b[1;3H", {0, 151}},
        {"shift F1", "\x1b[1;2P", {0, 84}},
        {"ctrl F1", "\x1b[1;5P", {0, 94}},
        {"alt F1", "\x1b[1;3P", {0, 104}},
        {"shift F5", "\x1b[15;2~", {0, 88}},
        {"ctrl F12", "\x1b[24;5~", {224, 138}},
        {"alt F11", "\x1b[23;3~", {224, 139}},
        {"shift tab", "\x1b[Z", {0, 15}},
        {"enter as CR", "\r", {13}},
        {"enter as LF", "\n", {13}},
        {"backspace as DEL", "\x7f", {8}},
        {"backspace as BS", "\x08", {8}},
        {"tab", "\t", {9}},
        {"ctrl a", "\x01", {1}},
        {"ctrl z", "\x1a", {26}},
        {"ctrl space", std::string(1, '\0'), {0, 3}},
        {"capital H moves up like the arrow", "H", {72}},
        {"letters and signs", "aZ~ 1", {97, 90, 126, 32, 49}},
        {"keypad enter", "\x1bOM", {13}},
        {"keypad digit", "\x1bOp", {'0'}},
        {"two arrows at once", "\x1b[A\x1b[B", {224, 72, 224, 80}},
        {"lone ESC", "\x1b", {27}},
        {"two ESC", "\x1b\x1b", {27, 27}},
        {"three ESC", "\x1b\x1b\x1b", {27, 27, 27}},
    };
    return cases;
}

TEST(Key_Decoder, Decodes_Each_Key_As_The_Windows_Runtime_Does) {
    for (const Key_Case& c : Key_Cases()) {
        EXPECT_EQ(Decode(c.bytes), c.codes) << c.name;
    }
}

TEST(Key_Decoder, A_Key_Split_At_Any_Byte_Boundary_Is_Still_One_Key) {
    for (const Key_Case& c : Key_Cases()) {
        for (size_t cut = 1; cut < c.bytes.size(); ++cut) {
            EXPECT_EQ(Decode_In_Parts(c.bytes, {cut}), c.codes) << c.name << " cut at " << cut;
        }
        // Every byte on its own.
        std::vector<size_t> every;
        for (size_t cut = 1; cut < c.bytes.size(); ++cut) every.push_back(cut);
        EXPECT_EQ(Decode_In_Parts(c.bytes, every), c.codes) << c.name << " byte by byte";
    }
}

TEST(Key_Decoder, A_Lone_Escape_Becomes_A_Key_Only_After_The_Timeout) {
    Key_Decoder decoder;
    Decoder_Reset(decoder, Input_Encoding::Utf8);
    Decoder_Feed(decoder, "\x1b");
    Decoder_Tick(decoder, Lone_Escape_Ms - 1);
    EXPECT_EQ(Decoder_Keys_Waiting(decoder), 0) << "at 24 ms";
    Decoder_Tick(decoder, 1);
    EXPECT_EQ(Take_All(decoder), Codes{27}) << "at 25 ms";

    // Time adds up over several short polls.
    Decoder_Feed(decoder, "\x1b");
    for (int i = 0; i < 4; ++i) Decoder_Tick(decoder, 6);
    EXPECT_EQ(Decoder_Keys_Waiting(decoder), 0) << "at 24 ms in four polls";
    Decoder_Tick(decoder, 6);
    EXPECT_EQ(Take_All(decoder), Codes{27}) << "at 30 ms";

    // One long pause counts as well.
    Decoder_Feed(decoder, "\x1b");
    Decoder_Tick(decoder, 1000);
    EXPECT_EQ(Take_All(decoder), Codes{27});
}

TEST(Key_Decoder, Bytes_After_The_Timeout_Are_Keys_Of_Their_Own) {
    Key_Decoder decoder;
    Decoder_Reset(decoder, Input_Encoding::Utf8);
    Decoder_Feed(decoder, "\x1b");
    Decoder_Tick(decoder, Lone_Escape_Ms);
    Decoder_Feed(decoder, "[A");
    EXPECT_EQ(Take_All(decoder), (Codes{27, '[', 'A'}));
}

TEST(Key_Decoder, Unknown_Sequences_Are_Dropped_Whole_And_The_Keys_After_Them_Kept) {
    struct Dropped {
        const char* name;
        std::string bytes;
        bool ends_by_itself = true;  // or only at a pause
    };
    const std::vector<Dropped> dropped = {
        {"SGR mouse press", "\x1b[<0;10;5M"},
        {"SGR mouse release", "\x1b[<0;10;5m"},
        {"X10 mouse report holding H and P", "\x1b[M HP"},
        {"paste start marker", "\x1b[200~"},
        {"paste end marker", "\x1b[201~"},
        {"focus in", "\x1b[I"},
        {"focus out", "\x1b[O"},
        {"cursor position report", "\x1b[12;40R"},
        {"device attributes", "\x1b[?1;2c"},
        {"kitty key", "\x1b[97;5u"},
        {"keypad five", "\x1b[E"},
        {"unknown numbered key", "\x1b[99~"},
        {"colon parameters", "\x1b[1:5A"},
        {"over-long sequence", "\x1b[" + std::string(40, '1') + ";5A"},
        {"over-long SS3", "\x1bO" + std::string(40, '5') + "A"},
        {"unknown SS3", "\x1bOz"},
        {"unknown Linux console key", "\x1b[[Z"},
        {"colour report ended by BEL", "\x1b]11;rgb:0000/0000/0000\x07"},
        {"colour report ended by ST", "\x1b]11;rgb:0000/0000/0000\x1b\\"},
        {"DCS report", "\x1bP1$r0m\x1b\\"},
        {"alt h", "\x1bh"},
        {"alt shift P", "\x1bP", false},
        {"alt up arrow sequence cut short by a pause", "\x1b[1;3", false},
        {"two-byte UTF-8", "\xc3\xa9"},
        {"three-byte UTF-8", "\xe2\x97\x8f"},
        {"four-byte UTF-8", "\xf0\x9f\x98\x80"},
        {"stray continuation byte", "\x80"},
        {"byte never in UTF-8", "\xff"},
    };
    for (const auto& [name, bytes, ends_by_itself] : dropped) {
        if (ends_by_itself) {
            EXPECT_EQ(Decode(bytes + "H"), Codes{72}) << name;
        }
        // Unfinished ones end at the pause; what follows must then decode.
        Key_Decoder decoder;
        Decoder_Reset(decoder, Input_Encoding::Utf8);
        Decoder_Feed(decoder, bytes);
        Decoder_Tick(decoder, Lone_Escape_Ms);
        Decoder_Feed(decoder, "\x1b[A");
        EXPECT_EQ(Take_All(decoder), (Codes{224, 72})) << name << ", then an arrow";
    }
}

TEST(Key_Decoder, A_Control_Byte_Breaks_A_Sequence_And_Still_Counts) {
    EXPECT_EQ(Decode("\x1b[1;\r"), Codes{13});
    EXPECT_EQ(Decode("\x1b[1\x1b[B"), (Codes{224, 80}));
    EXPECT_EQ(Decode("\xe2\x97H"), Codes{72}) << "a cut UTF-8 character before a letter";
    // An ESC inside a string report ends it and starts the next key.
    for (const char introducer : {']', 'P', '_', '^', 'X'}) {
        for (const std::string& inside : {std::string(), std::string("1;2")}) {
            const std::string bytes = std::string("\x1b") + introducer + inside + "\x1b[A";
            EXPECT_EQ(Decode(bytes), (Codes{224, 72})) << testing::PrintToString(bytes);
            EXPECT_EQ(Decode(std::string("\x1b") + introducer + inside + "\x1bOB"), (Codes{224, 80})) << introducer;
        }
    }
}

TEST(Key_Decoder, Shift_Jis_Input_Drops_Double_Byte_Characters_Whole) {
    const struct { std::string bytes; Codes codes; const char* what; } cases[] = {
        {"\x83\x48" "\x83\x6e" "P", {80}, "ォ is 0x83 0x48, ハ 0x83 0x6E: neither trail byte may move the hero"},
        {"\x81\xfc" "H", {72}, "0xFC, the last trail byte"},
        {"\xb1" "K", {75}, "half-width katakana"},
        {"\x83\r", {13}, "a lead byte without trail"},
    };
    for (const auto& c : cases) EXPECT_EQ(Decode(c.bytes, Input_Encoding::Shift_Jis), c.codes) << c.what;
}

TEST(Key_Decoder, A_Full_Queue_Takes_No_Part_Of_A_Key) {
    Key_Decoder decoder;
    Decoder_Reset(decoder, Input_Encoding::Utf8);
    Decoder_Feed(decoder, std::string(Key_Decoder::Queue_Capacity + 10, 'a'));
    EXPECT_EQ(Decoder_Keys_Waiting(decoder), Key_Decoder::Queue_Capacity);
    Decoder_Take_Key(decoder);
    Decoder_Feed(decoder, "\x1b[A");  // two codes, one free place: dropped whole
    const Codes codes = Take_All(decoder);
    ASSERT_EQ(codes.size(), static_cast<size_t>(Key_Decoder::Queue_Capacity - 1));
    for (int code : codes) EXPECT_EQ(code, 'a');
    EXPECT_EQ(Decoder_Take_Key(decoder), -1);
}

TEST(Key_Decoder, Random_Bytes_Never_Break_It) {
    // Bytes drawn mostly from what escape sequences are made of.
    const std::string alphabet =
        "\x1b\x1b\x1b[[O;;0123456789ABCDHFPQRSZ~$^@<?Mm]\\\x07\r\n\x7f\x01\x80\xc3\xe2\xff\x83 aHP";
    const auto alphabet_size = static_cast<uint32_t>(alphabet.size());
    uint32_t state = 12345;
    auto next = [&state](uint32_t bound) {
        state = state * 1103515245u + 12345u;
        return (state >> 16) % bound;
    };
    Key_Decoder decoder;
    Decoder_Reset(decoder, Input_Encoding::Utf8);
    for (int round = 0; round < 20000; ++round) {
        if (next(8) == 0) decoder.encoding = next(2) == 0 ? Input_Encoding::Utf8 : Input_Encoding::Shift_Jis;
        const uint32_t what = next(10);
        if (what < 6) {
            const uint8_t byte = next(4) == 0 ? static_cast<uint8_t>(next(256))
                                              : static_cast<uint8_t>(alphabet[next(alphabet_size)]);
            Decoder_Feed(decoder, byte);
        } else if (what < 8) {
            Decoder_Tick(decoder, static_cast<int>(next(30)));
        } else {
            for (uint32_t n = next(4); n > 0; --n) {
                const int code = Decoder_Take_Key(decoder);
                ASSERT_GE(code, -1);
                ASSERT_LE(code, 255);
            }
        }
        ASSERT_GE(Decoder_Keys_Waiting(decoder), 0);
        ASSERT_LE(Decoder_Keys_Waiting(decoder), Key_Decoder::Queue_Capacity);
    }
    // Whatever came before, after a pause an arrow is an arrow again.
    Take_All(decoder);
    Decoder_Tick(decoder, Lone_Escape_Ms);
    Take_All(decoder);
    Decoder_Feed(decoder, "\x1b[D");
    EXPECT_EQ(Take_All(decoder), (Codes{224, 75}));
}

}  // namespace
