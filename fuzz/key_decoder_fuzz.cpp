// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// Any bytes from the keyboard into the key decoder.
//
// The first byte picks the input encoding and the arrow key used at the end;
// the rest is what the terminal sent. Properties checked on every input:
//  - a code taken is 0..255, the queue never holds more than its capacity,
//    and Keys_Waiting counts exactly the codes that can be taken;
//  - the codes form whole keys: a prefix (0 or 224) always comes with its
//    second code, and every pair is one the Windows runtime gives for some key;
//    every other code is 1..126 (no byte of a multi-byte character leaks);
//  - the bytes decode to the same keys however the reads split them, as long
//    as each pause between reads is shorter than the ESC timeout;
//  - with nothing taken, a full queue drops keys whole: what it holds is the
//    first keys of the unhindered decoding, with some left out;
//  - after any bytes and then a pause as long as the ESC timeout, an arrow key
//    decodes to 224 and its code;
//  - a control sequence is one key or nothing, never stray letters, and a
//    string report (ESC ] ... BEL) gives no key at all.

#include <array>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "platform/core/key_decoder.h"
#include "platform/core/windows_keys.h"

namespace {

using namespace platform;

using Codes = std::vector<uint8_t>;

constexpr uint8_t Gray_Prefix = 224;

// Every (prefix, code) pair the decoder may give: each key with each modifier
// combination, and Ctrl+Space.
struct Known_Pairs {
    std::array<std::array<bool, 256>, 2> known{};  // [prefix is 224][code]
};

Known_Pairs Make_Known_Pairs() {
    Known_Pairs pairs;
    for (int key = 0; key <= static_cast<int>(Special_Key::Back_Tab); ++key) {
        for (int bits = 0; bits < 8; ++bits) {
            const Key_Modifiers modifiers{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
            const Key_Pair pair = Windows_Key(static_cast<Special_Key>(key), modifiers);
            fuzz::Check(pair.prefix == 0 || pair.prefix == Gray_Prefix, "the key table's prefixes are 0 and 224");
            pairs.known[pair.prefix == Gray_Prefix ? 1 : 0][pair.code] = true;
        }
    }
    pairs.known[0][3] = true;
    return pairs;
}

const Known_Pairs known_pairs = Make_Known_Pairs();

void Check_Queue(const Key_Decoder& d) {
    fuzz::Check(d.queue_count >= 0 && d.queue_count <= Key_Decoder::Queue_Capacity,
                "the queue stays within its capacity");
    fuzz::Check(d.queue_head >= 0 && d.queue_head < Key_Decoder::Queue_Capacity, "the queue's head stays inside it");
    fuzz::Check(Decoder_Keys_Waiting(d) == d.queue_count, "Keys_Waiting counts the queue");
    fuzz::Check(d.body_length >= 0 && d.body_length <= Key_Decoder::Body_Capacity, "a sequence body stays inside it");
}

// Takes every waiting code; they must make whole keys.
void Take_All(Key_Decoder& d, Codes& codes) {
    const int waiting = Decoder_Keys_Waiting(d);
    const size_t start = codes.size();
    for (int code = Decoder_Take_Key(d); code != -1; code = Decoder_Take_Key(d)) {
        fuzz::Check(code >= 0 && code <= 255, "a key code is 0..255");
        codes.push_back(static_cast<uint8_t>(code));
        fuzz::Check(codes.size() - start <= static_cast<size_t>(waiting), "no more codes come than were waiting");
    }
    fuzz::Check(codes.size() - start == static_cast<size_t>(waiting), "every waiting code can be taken");
    fuzz::Check(Decoder_Keys_Waiting(d) == 0, "nothing waits once all is taken");
    for (size_t i = start; i < codes.size(); ++i) {
        const uint8_t code = codes[i];
        if (code == 0 || code == Gray_Prefix) {
            fuzz::Check(i + 1 < codes.size(), "a prefix always comes with its second code");
            fuzz::Check(known_pairs.known[code == Gray_Prefix ? 1 : 0][codes[i + 1]], "a key pair is a real key's");
            ++i;
        } else {
            fuzz::Check(code >= 1 && code <= 126, "a one-code key is 1..126");
        }
    }
}

void Feed(Key_Decoder& d, uint8_t byte) {
    Decoder_Feed(d, byte);
    Check_Queue(d);
}

void Tick(Key_Decoder& d, int elapsed_ms) {
    Decoder_Tick(d, elapsed_ms);
    Check_Queue(d);
}

// Each byte in a read of its own, every key taken at once.
Codes Decode_Byte_By_Byte(const uint8_t* bytes, size_t size, Input_Encoding encoding, bool with_short_pauses) {
    Key_Decoder d;
    Decoder_Reset(d, encoding);
    Codes codes;
    for (size_t i = 0; i < size; ++i) {
        Feed(d, bytes[i]);
        if (with_short_pauses) {
            // Two pauses that add up to less than the timeout.
            const int pause = static_cast<int>((bytes[i] * 7u + i) % Lone_Escape_Ms);
            Tick(d, pause / 2);
            Tick(d, pause - pause / 2);
        }
        Take_All(d, codes);
    }
    return codes;
}

// Whole keys of `part`, in order, each found in `whole` after the last.
bool Keys_In_Order(const Codes& part, const Codes& whole) {
    size_t at = 0;
    for (size_t i = 0; i < part.size();) {
        const size_t length = part[i] == 0 || part[i] == Gray_Prefix ? 2 : 1;
        bool found = false;
        while (at < whole.size() && !found) {
            const size_t key_length = whole[at] == 0 || whole[at] == Gray_Prefix ? 2 : 1;
            found = key_length == length && whole[at] == part[i] && (length == 1 || whole[at + 1] == part[i + 1]);
            at += key_length;
        }
        if (!found) return false;
        i += length;
    }
    return true;
}

Codes Decode_Without_Taking(const uint8_t* bytes, size_t size, Input_Encoding encoding) {
    Key_Decoder d;
    Decoder_Reset(d, encoding);
    for (size_t i = 0; i < size; ++i) Feed(d, bytes[i]);
    Codes codes;
    Take_All(d, codes);
    return codes;
}

// Bytes and pauses of any length, alternating: the invariants of Take_All
// hold all along, and after a long enough pause an arrow is an arrow.
void Check_Arrow_After_Anything(const uint8_t* bytes, size_t size, Input_Encoding encoding, uint8_t choice) {
    Key_Decoder d;
    Decoder_Reset(d, encoding);
    Codes codes;
    for (size_t i = 0; i < size; i += 2) {
        Feed(d, bytes[i]);
        if (i + 1 < size) Tick(d, bytes[i + 1] % 64);
        if (bytes[i] % 3 == 0) Take_All(d, codes);
    }
    Tick(d, Lone_Escape_Ms + choice % 16);
    Take_All(d, codes);
    constexpr std::array<uint8_t, 4> Finals = {'A', 'B', 'C', 'D'};
    constexpr std::array<uint8_t, 4> Arrow_Codes = {72, 80, 77, 75};
    const size_t arrow = choice % 4;
    Feed(d, 0x1B);
    Feed(d, (choice & 4) != 0 ? 'O' : '[');
    Feed(d, Finals[arrow]);
    Codes arrow_codes;
    Take_All(d, arrow_codes);
    fuzz::Check(arrow_codes == Codes{Gray_Prefix, Arrow_Codes[arrow]},
                "after a pause as long as the ESC timeout, an arrow decodes to 224 and its code");
}

// A control sequence built from the input (parameter and intermediate bytes,
// then a final byte) is one key or nothing, never letters; a string report
// (ESC ] ... BEL) is nothing at all.
void Check_Sequences_Drop_Whole(const uint8_t* bytes, size_t size, Input_Encoding encoding) {
    Key_Decoder d;
    Decoder_Reset(d, encoding);
    Feed(d, 0x1B);
    Feed(d, '[');
    const size_t length = size < 24 ? size : 24;
    for (size_t i = 0; i + 1 < length; ++i) {
        const uint8_t low = bytes[i] & 0x0F;
        uint8_t byte = (bytes[i] & 0x10) != 0 ? static_cast<uint8_t>(0x20 + low) : static_cast<uint8_t>(0x30 + low);
        // rxvt ends its shifted keys with $ (ESC [ 2 $ is Shift+Insert), so
        // after digits a $ is a final byte, not an intermediate one.
        if (byte == '$') byte = '#';
        Feed(d, byte);
    }
    Feed(d, static_cast<uint8_t>(0x40 + (length > 0 ? bytes[length - 1] % 63 : 0)));
    Tick(d, Lone_Escape_Ms);
    Codes codes;
    Take_All(d, codes);
    fuzz::Check(codes.empty() || (codes.size() == 2 && (codes[0] == 0 || codes[0] == Gray_Prefix)),
                "a control sequence is one key or nothing");

    Decoder_Reset(d, encoding);
    Feed(d, 0x1B);
    Feed(d, ']');
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0x07 && bytes[i] != 0x1B) Feed(d, bytes[i]);
    }
    Feed(d, 0x07);
    Codes report;
    Take_All(d, report);
    fuzz::Check(report.empty(), "a string report gives no key");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t choice = data[0];
    const Input_Encoding encoding = (choice & 8) != 0 ? Input_Encoding::Shift_Jis : Input_Encoding::Utf8;
    const uint8_t* bytes = data + 1;
    const size_t count = size - 1;

    const Codes plain = Decode_Byte_By_Byte(bytes, count, encoding, false);
    const Codes paused = Decode_Byte_By_Byte(bytes, count, encoding, true);
    fuzz::Check(plain == paused, "pauses shorter than the ESC timeout between reads change no key");

    const Codes held = Decode_Without_Taking(bytes, count, encoding);
    fuzz::Check(held.size() <= static_cast<size_t>(Key_Decoder::Queue_Capacity),
                "the queue holds at most its capacity");
    if (plain.size() <= static_cast<size_t>(Key_Decoder::Queue_Capacity)) {
        fuzz::Check(held == plain, "a queue with room loses no key");
    }
    fuzz::Check(Keys_In_Order(held, plain), "a full queue drops keys whole, keeping the order of the rest");

    Check_Arrow_After_Anything(bytes, count, encoding, choice);
    Check_Sequences_Drop_Whole(bytes, count, encoding);
    return 0;
}
