// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "status_check.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cp932_text.h"
#include "data/status_files.h"
#include "data/text_reader.h"
#include "tr.h"
#include "unicode_cp932.h"

namespace {

enum class Kind : uint8_t { Name, Glyph, Signed_16, Unsigned_16, Unsigned_32 };

struct Field_Info {
    const char* name;
    size_t offset;
    Kind kind;
    size_t bytes;      // of one element; of the whole buffer for a text
    size_t count = 1;  // elements of an array
};

constexpr Field_Info U16(const char* name, size_t offset, size_t count = 1) {
    return {name, offset, Kind::Unsigned_16, 2, count};
}

constexpr std::array<Field_Info, 17> Hero_Fields = {{
    {"name", offsetof(Hero_Status_Info, name), Kind::Name, sizeof(Hero_Status_Info::name)},
    {"hp", offsetof(Hero_Status_Info, hp), Kind::Signed_16, 2},
    U16("attack", offsetof(Hero_Status_Info, attack)),
    U16("defense", offsetof(Hero_Status_Info, defense)),
    U16("stat4", offsetof(Hero_Status_Info, stat4)),
    U16("stat5", offsetof(Hero_Status_Info, stat5)),
    U16("stat6", offsetof(Hero_Status_Info, stat6)),
    {"rating", offsetof(Hero_Status_Info, rating), Kind::Unsigned_32, 4},
    {"exp", offsetof(Hero_Status_Info, exp), Kind::Unsigned_32, 4},
    U16("level", offsetof(Hero_Status_Info, level)),
    U16("aux", offsetof(Hero_Status_Info, aux)),
    U16("group3", offsetof(Hero_Status_Info, group3), 3),
    U16("group4", offsetof(Hero_Status_Info, group4), 5),
    U16("group5", offsetof(Hero_Status_Info, group5), 6),
    U16("x", offsetof(Hero_Status_Info, x)),
    U16("y", offsetof(Hero_Status_Info, y)),
}};

constexpr std::array<Field_Info, 11> Monster_Fields = {{
    {"name", offsetof(Monster_Status_Info, name), Kind::Name, sizeof(Monster_Status_Info::name)},
    U16("lead_value", offsetof(Monster_Status_Info, lead_value)),
    {"glyph", offsetof(Monster_Status_Info, glyph), Kind::Glyph, sizeof(Monster_Status_Info::glyph)},
    U16("pre_value", offsetof(Monster_Status_Info, pre_value)),
    {"hp", offsetof(Monster_Status_Info, hp), Kind::Signed_16, 2},
    U16("attack", offsetof(Monster_Status_Info, attack)),
    U16("defense", offsetof(Monster_Status_Info, defense)),
    U16("stat4", offsetof(Monster_Status_Info, stat4)),
    U16("stat5", offsetof(Monster_Status_Info, stat5)),
    U16("stat6", offsetof(Monster_Status_Info, stat6)),
    U16("post_value", offsetof(Monster_Status_Info, post_value)),
}};

constexpr std::array<Field_Info, 4> Skill_Fields = {{
    {"name", offsetof(Skill_Info, name), Kind::Name, sizeof(Skill_Info::name)},
    U16("lead_value", offsetof(Skill_Info, lead_value)),
    U16("power", offsetof(Skill_Info, power)),
    U16("penetration", offsetof(Skill_Info, penetration)),
}};

// A record as the checker sees it: its bytes and what each field is.
struct Record_View {
    const std::byte* base;
    std::span<const Field_Info> fields;
};

// One field of a record: which, and which element of an array.
struct Field_Ref {
    const Field_Info* info = nullptr;
    size_t element = 0;
};

Field_Ref Field_Of(const Record_View& record, const void* field) {
    const auto offset = static_cast<size_t>(static_cast<const std::byte*>(field) - record.base);
    for (const Field_Info& info : record.fields) {
        const size_t size = info.kind == Kind::Name || info.kind == Kind::Glyph ? info.bytes : info.bytes * info.count;
        if (offset >= info.offset && offset < info.offset + size) return {&info, (offset - info.offset) / info.bytes};
    }
    return {};
}

std::string Name_Of(const Field_Ref& field) {
    if (field.info == nullptr) return "?";
    if (field.info->count == 1) return field.info->name;
    return std::string(field.info->name) + "[" + std::to_string(field.element) + "]";
}

// "attack, defense, group3[0..2] and x": the fields, arrays' runs joined.
std::string Names_Of(const std::vector<Field_Ref>& fields) {
    std::vector<std::string> names;
    for (size_t i = 0; i < fields.size();) {
        size_t j = i + 1;
        while (j < fields.size() && fields[j].info == fields[i].info) ++j;
        const Field_Ref& first = fields[i];
        if (first.info != nullptr && first.info->count > 1 && j - i > 1) {
            names.push_back(std::string(first.info->name) + "[" + std::to_string(first.element) + ".." +
                            std::to_string(fields[j - 1].element) + "]");
        } else {
            for (size_t k = i; k < j; ++k) names.push_back(Name_Of(fields[k]));
        }
        i = j;
    }
    std::string joined = names.empty() ? std::string() : names[0];
    for (size_t i = 1; i < names.size(); ++i) {
        // TRANSLATORS: a list of the data's field names, "hp, attack and defense".
        joined = Format(i + 1 == names.size() ? Tr("%s and %s") : Tr("%s, %s"), joined.c_str(), names[i].c_str());
    }
    return joined;
}

// What a reading leaves unread: "leaves the glyph empty and pre_value, hp at 0".
std::string Left_Unread(const std::vector<Field_Ref>& fields) {
    std::vector<Field_Ref> texts, numbers;
    for (const Field_Ref& field : fields) {
        const bool text = field.info != nullptr && (field.info->kind == Kind::Name || field.info->kind == Kind::Glyph);
        (text ? texts : numbers).push_back(field);
    }
    if (numbers.empty()) return Format(Tr("leaves the %s empty"), Names_Of(texts).c_str());
    if (texts.empty()) return Format(Tr("leaves %s at 0"), Names_Of(numbers).c_str());
    return Format(Tr("leaves the %s empty and %s at 0"), Names_Of(texts).c_str(), Names_Of(numbers).c_str());
}

// ---- Reading ---------------------------------------------------------------

struct Reading {
    std::vector<Value_Note> notes;   // one a field, in order
    std::vector<Value_Note> extras;  // read on past the record: the values after it, then its end
    bool ended_at_ctrl_z = false;
    long end_offset = -1;  // where the reading stopped
    long size = 0;         // of the file, in bytes
    std::string bytes;     // the file's first bytes, as far as the notes reach, at most Most_Bytes_Held
    std::vector<Token_Look> looks;  // at the start of every note's token, and where the reading stopped
};

// Values past the record are only counted; this many are enough to tell.
constexpr size_t Most_Extra_Values = 1000;
// Room to quote a token past the offset where it starts.
constexpr long Quote_Room = 64;
// However large a file is, the checker holds this much of it at most: enough
// to judge whether it looks like UTF-8. Where a finding stands, and the token
// it quotes, are found by looking through the file.
constexpr long Most_Bytes_Held = 64L * 1024;
// How far past the notes' reach a token quoted is followed to tell its length.
constexpr long Most_Bytes_Followed = 64L * 1024;

void Keep_Note(void* notes, const Value_Note& note) { static_cast<std::vector<Value_Note>*>(notes)->push_back(note); }

void Read_On(Text_File& text, Reading& reading) {
    Value_Observer observer{&reading.extras, Keep_Note, {}};
    Value_Scanner rest{text, false, &observer};
    std::array<char, 2> scratch{};
    while (!rest.failed && reading.extras.size() < Most_Extra_Values) rest.Token(scratch);
}

long Reach_Of(const Reading& reading) {
    long reach = reading.end_offset + 1;
    for (const std::vector<Value_Note>* notes : {&reading.notes, &reading.extras}) {
        for (const Value_Note& note : *notes) reach = std::max(reach, note.end + Quote_Room);
    }
    return std::min(reach, reading.size);
}

template <typename Record, typename Reader>
bool Read_Watched(const std::string& path, Record& record, Reader read, Reading& reading) {
    Text_File text;
    if (!Open_Text_File(text, path.c_str())) return false;
    Value_Observer observer{&reading.notes, Keep_Note, {}};
    Value_Scanner scan{text, false, &observer};
    read(scan, record);
    if (!scan.failed) Read_On(text, reading);
    reading.ended_at_ctrl_z = text.ended_at_ctrl_z;
    reading.end_offset = Offset_Of_Next_Char(text);
    reading.size = File_Size(text.file);
    const long reach = Reach_Of(reading);
    std::vector<long> offsets = {reading.end_offset};
    for (const std::vector<Value_Note>* notes : {&reading.notes, &reading.extras}) {
        for (const Value_Note& note : *notes) offsets.push_back(note.start);
    }
    reading.looks = Look_At_Tokens(text.file, std::move(offsets), reach + Most_Bytes_Followed);
    reading.bytes = First_Bytes(text.file, std::min(reach, Most_Bytes_Held));
    Close_Text_File(text);
    return true;
}

// ---- What the reading shows ------------------------------------------------

Position Position_At(const Reading& reading, long offset) {
    Position at;
    if (Position_In_Looks(reading.looks, offset, at)) return at;
    return Position_Of(reading.bytes, offset);
}

// "22 bytes", or "more than 131072 bytes" for a token followed no further.
std::string Length_Of(const Token_Look& token) {
    return token.length_known
               ? Format(Tr_Plural("%ld byte", "%ld bytes", token.length), token.length)
               : Format(Tr_Plural("more than %ld byte", "more than %ld bytes", token.length), token.length);
}

// Tokens other than names are quoted to this many columns: enough to know
// one by, and short enough that a finding quoting one, with the list of
// fields it leaves unread, stays one line of under 300 bytes.
constexpr size_t Token_Columns = 16;

// A token as a message quotes it: when it is cut, with its whole length.
std::string Token_Quoted(const Token_Look& token) {
    const bool cut = !token.length_known || token.length > static_cast<long>(Token_Columns);
    return Quoted(token.head, Token_Columns) + (cut ? " (" + Length_Of(token) + ")" : "");
}

// A number as written, its `digits` bytes as they stand, unless there are
// too many to show whole.
std::string Number_Shown(const Token_Look& token, long digits) {
    std::string written = token.head.substr(0, static_cast<size_t>(std::max(digits, 0L)));  // moved out when returned
    if (digits <= static_cast<long>(Token_Columns)) return written;
    return Quoted(written, Token_Columns) + " (" + Format(Tr_Plural("%ld byte", "%ld bytes", digits), digits) + ")";
}

struct Report {
    Findings& findings;
    std::string_view name;
    const Record_View& record;
    const Reading& reading;
    bool utf8 = false;  // the file looks like UTF-8: its texts are told of once
    bool bom = false;   // it starts with a UTF-8 byte-order mark

    void Add(long offset, Severity severity, std::string message) const {
        findings.Add(name, Position_At(reading, offset), severity, std::move(message));
    }
    // The token that starts at `offset`: up to white space, a Ctrl+Z or the end.
    const Token_Look& Token_At(long offset) const {
        static const Token_Look none;
        const Token_Look* look = Look_At(reading.looks, offset);
        return look != nullptr ? *look : none;
    }
};

std::string_view Kept_Text(const Value_Note& note, const Field_Info& info) {
    const auto* text = static_cast<const char*>(note.field);
    return {text, strnlen(text, info.bytes)};
}

void Report_Text(const Report& report, const Value_Note& note, const Field_Info& info) {
    const std::string_view kept = Kept_Text(note, info);
    if (note.start == 0 && report.bom) return;  // told with the mark
    if (note.cut && !report.utf8) {
        const Token_Look& token = report.Token_At(note.start);
        // A double-byte character goes in whole or not at all, so a lone lead
        // byte at the end can be what does not fit.
        // TRANSLATORS: the field (name or glyph), what was written, its length, the bytes kept, what is kept.
        report.Add(note.start, Severity::Warning,
                   Format(Tr("the %s %s (%s) is cut to fit its %ld: the game keeps %s"), info.name,
                          Quoted(token.head).c_str(), Length_Of(token).c_str(), static_cast<long>(info.bytes - 1),
                          Quoted(kept).c_str()));
    }
    if (info.kind == Kind::Name) {
        const size_t bad = First_Non_Character(kept);
        if (bad != std::string_view::npos && !report.utf8) {
            const std::string first = Hex_Byte(static_cast<uint8_t>(kept[bad]));
            report.Add(note.start + static_cast<long>(bad), Severity::Warning,
                       Non_Character_Length(kept, bad) == 1
                           ? Format(Tr("byte %s in the name %s is no character of code page 932: shown as ?"),
                                    first.c_str(), Quoted(kept).c_str())
                           : Format(Tr("bytes %s %s in the name %s are no character of code page 932: shown as ??"),
                                    first.c_str(), Hex_Byte(static_cast<uint8_t>(kept[bad + 1])).c_str(),
                                    Quoted(kept).c_str()));
        }
        return;
    }
    if (report.utf8) return;  // told once, for the whole file
    const bool one_full_width = kept.size() == 2 && platform::Is_Cp932_Lead(static_cast<uint8_t>(kept[0])) &&
                                First_Non_Character(kept) == std::string_view::npos;
    if (!one_full_width) {
        report.Add(note.start, Severity::Warning,
                   Format(Tr("the glyph %s is not one full-width character, two bytes of code page 932 as wide as the "
                             "hero"),
                          Quoted(kept).c_str()));
    } else if (Is_Ambiguous_Width(static_cast<uint8_t>(kept[0]), static_cast<uint8_t>(kept[1]))) {
        report.Add(note.start, Severity::Warning,
                   Format(Tr("the glyph %s is one column wide in some terminals (xterm without -cjk_width, tmux and "
                             "GNU screen by default), leaving a gap beside it: %s or a kanji are two columns everywhere"),
                          Quoted(kept).c_str(), Wide_Everywhere));
    }
}

int64_t Stored(const void* field, Kind kind) {
    switch (kind) {
        case Kind::Signed_16: return *static_cast<const int16_t*>(field);
        case Kind::Unsigned_16: return *static_cast<const uint16_t*>(field);
        default: return *static_cast<const uint32_t*>(field);
    }
}

// The lowest and the highest value a field of that kind holds.
std::pair<const char*, const char*> Range_Of(Kind kind) {
    switch (kind) {
        case Kind::Signed_16: return {"-32768", "32767"};
        case Kind::Unsigned_16: return {"0", "65535"};
        default: return {"0", "4294967295"};
    }
}

bool Fits(Kind kind, const Written_Number& number) {
    if (number.past_32_bits) return false;
    if (number.magnitude == 0) return true;
    switch (kind) {
        case Kind::Signed_16: return number.magnitude <= (number.negative ? 32768u : 32767u);
        case Kind::Unsigned_16: return !number.negative && number.magnitude <= 65535;
        default: return !number.negative;
    }
}

void Report_Number(const Report& report, const Value_Note& note, const Field_Ref& field) {
    const Token_Look& written = report.Token_At(note.start);
    const Written_Number& number = written.number;
    const Kind kind = field.info->kind;
    if (Fits(kind, number)) return;
    const std::string name = Name_Of(field);
    const int64_t stored = Stored(note.field, kind);
    // The sign and digits the game read: the token as far as its end, which
    // lies before the carriage return or the byte that ended the number.
    const std::string token = Number_Shown(written, std::min(written.length, note.end - note.start));
    const std::string read = std::to_string(note.number), kept = std::to_string(stored);
    if (number.past_32_bits) {
        report.Add(note.start, Severity::Warning,
                   stored == note.number
                       ? Format(Tr("%s is past 32 bits: the game reads %s"), token.c_str(), read.c_str())
                       : Format(Tr("%s is past 32 bits: the game reads %s, which %s keeps as %s"), token.c_str(),
                                read.c_str(), name.c_str(), kept.c_str()));
    } else if (kind == Kind::Unsigned_32 && number.magnitude <= 0x80000000u) {
        // How the game's own save writes a value past 2147483647.
        report.Add(note.start, Severity::Note,
                   Format(Tr("%s is kept in %s as %s, the way the hero save writes values past 2147483647"),
                          token.c_str(), name.c_str(), kept.c_str()));
    } else {
        const auto [lowest, highest] = Range_Of(kind);
        report.Add(note.start, Severity::Warning,
                   Format(Tr("%s does not fit %s (%s to %s): the game keeps %s"), token.c_str(), name.c_str(), lowest,
                          highest, kept.c_str()));
    }
}

long Bytes_After_Ctrl_Z(const Reading& reading) { return reading.size - reading.end_offset - 1; }

// The conversion at `failed` did not read: nor will any after it.
void Report_Stop(const Report& report, size_t failed) {
    const std::vector<Value_Note>& notes = report.reading.notes;
    const Value_Note& note = notes[failed];
    std::vector<Field_Ref> unread;
    for (size_t i = failed; i < notes.size(); ++i) unread.push_back(Field_Of(report.record, notes[i].field));
    const auto read = static_cast<long>(failed), total = static_cast<long>(notes.size());
    const std::string left = Left_Unread(unread);
    if (note.outcome == Value_Note::Outcome::Not_A_Number) {
        const std::string token = Token_Quoted(report.Token_At(note.start));
        // TRANSLATORS: the last %s says what is left unread: "leaves hp, attack and defense at 0".
        report.Add(note.start, Severity::Warning,
                   Format(Tr_Plural("%s is not a number: the game stops reading after %ld of its %ld value, and %s",
                                    "%s is not a number: the game stops reading after %ld of its %ld values, and %s",
                                    total),
                          token.c_str(), read, total, left.c_str()));
        const Field_Ref before = failed == 1 ? Field_Of(report.record, notes[0].field) : Field_Ref{};
        if (before.info != nullptr && before.info->kind == Kind::Name) {
            report.Add(note.start, Severity::Note,
                       Format(Tr("a name cannot hold a space: the game takes %s for the whole name and %s for %s"),
                              Quoted(Kept_Text(notes[0], *before.info)).c_str(), token.c_str(),
                              Name_Of(Field_Of(report.record, note.field)).c_str()));
        }
    } else if (report.reading.ended_at_ctrl_z) {
        const long after = Bytes_After_Ctrl_Z(report.reading);
        std::string message = Format(Tr_Plural("a Ctrl+Z ends the file after %ld of its %ld value, and %s",
                                               "a Ctrl+Z ends the file after %ld of its %ld values, and %s", total),
                                     read, total, left.c_str());
        if (after > 0) {
            message = Format(Tr("%s; %s"), message.c_str(),
                             Format(Tr_Plural("the %ld byte after it is never read",
                                              "the %ld bytes after it are never read", after),
                                    after)
                                 .c_str());
        }
        report.Add(note.start, Severity::Warning, message);
    } else {
        report.Add(note.start, Severity::Warning,
                   Format(Tr_Plural("the file ends after %ld of its %ld value, and %s",
                                    "the file ends after %ld of its %ld values, and %s", total),
                          read, total, left.c_str()));
    }
}

void Report_Past_Record(const Report& report) {
    const Reading& reading = report.reading;
    const auto values = static_cast<size_t>(std::count_if(reading.extras.begin(), reading.extras.end(), [](const Value_Note& n) {
        return n.outcome == Value_Note::Outcome::Read;
    }));
    if (values > 0) {
        const Field_Ref last = Field_Of(report.record, reading.notes.back().field);
        const auto count = static_cast<long>(values);
        const std::string field = Name_Of(last);
        report.Add(reading.extras.front().start, Severity::Warning,
                   values >= Most_Extra_Values
                       ? Format(Tr_Plural("at least %ld value after the last field, %s, is never read",
                                          "at least %ld values after the last field, %s, are never read", count),
                                count, field.c_str())
                       : Format(Tr_Plural("%ld value after the last field, %s, is never read",
                                          "%ld values after the last field, %s, are never read", count),
                                count, field.c_str()));
    }
    const long after = Bytes_After_Ctrl_Z(reading);
    if (reading.ended_at_ctrl_z && after > 0) {
        report.Add(reading.end_offset, Severity::Warning,
                   Format(Tr_Plural("a Ctrl+Z ends the file here: the %ld byte after it is never read",
                                    "a Ctrl+Z ends the file here: the %ld bytes after it are never read", after),
                          after));
    }
}

// A file saved as UTF-8, or with a UTF-8 byte-order mark: told once, with
// what to do, since every text in it follows from that one cause.
void Report_Encoding(const Report& report) {
    const Text_Encoding encoding = Encoding_Of(report.reading.bytes);
    if (encoding.utf8_at != std::string_view::npos) {
        report.findings.utf8_files.push_back(
            {std::string(report.name), Position_At(report.reading, static_cast<long>(encoding.utf8_at)), encoding.bom,
             report.findings.list.size()});
        return;
    }
    if (!encoding.bom) return;
    const std::vector<Value_Note>& notes = report.reading.notes;
    const Field_Ref first = notes.empty() ? Field_Ref{} : Field_Of(report.record, notes[0].field);
    if (first.info != nullptr && notes[0].outcome == Value_Note::Outcome::Read && notes[0].start == 0) {
        report.Add(0, Severity::Warning,
                   Format(Tr("the file starts with a UTF-8 byte-order mark (0xEF 0xBB 0xBF): the game reads it as the "
                             "start of the name, which shows as %s; save the file without it"),
                          Quoted(Kept_Text(notes[0], *first.info)).c_str()));
    } else {
        report.Add(0, Severity::Warning,
                   Tr("the file starts with a UTF-8 byte-order mark (0xEF 0xBB 0xBF); save the file without it"));
    }
}

void Report_Reading(const Report& report) {
    Report_Encoding(report);
    const std::vector<Value_Note>& notes = report.reading.notes;
    for (size_t i = 0; i < notes.size(); ++i) {
        const Value_Note& note = notes[i];
        if (note.outcome != Value_Note::Outcome::Read) {
            Report_Stop(report, i);
            return;
        }
        const Field_Ref field = Field_Of(report.record, note.field);
        if (field.info == nullptr) continue;
        if (note.text) {
            Report_Text(report, note, *field.info);
        } else {
            Report_Number(report, note, field);
        }
    }
    Report_Past_Record(report);
}

template <typename Record, typename Reader, size_t N>
bool Check_File(Findings& findings, std::string_view name, Record& record, Reader read,
                const std::array<Field_Info, N>& fields, Reading& reading) {
    if (!Read_Watched(findings.Path(name), record, read, reading)) return false;
    const size_t first = findings.list.size();
    const Record_View view{reinterpret_cast<const std::byte*>(&record), fields};
    const Text_Encoding encoding = Encoding_Of(reading.bytes);
    const bool utf8 = encoding.utf8_at != std::string_view::npos;
    Report_Reading({findings, name, view, reading, utf8, encoding.bom});
    if (utf8 && findings.unicode != nullptr) {
        // Told as the author sees the file: its lines decoded, its columns the screen's.
        const std::string path = findings.Path(name);
        for (size_t i = first; i < findings.list.size(); ++i) {
            findings.list[i].utf8 = true;
            findings.list[i].at = Screen_Position(path, findings.list[i].at, *findings.unicode);
        }
        Findings::Utf8_File& told = findings.utf8_files.back();
        told.at = Screen_Position(path, told.at, *findings.unicode);
    }
    // In the order of the file, as a compiler reports.
    std::stable_sort(findings.list.begin() + static_cast<std::ptrdiff_t>(first), findings.list.end(),
                     [](const Finding& a, const Finding& b) {
                         return a.at.line != b.at.line ? a.at.line < b.at.line : a.at.column < b.at.column;
                     });
    return true;
}

}  // namespace

size_t Utf8_Text_At(std::string_view bytes) {
    size_t first = std::string_view::npos;
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<uint8_t>(bytes[i]);
        const size_t length = lead < 0x80 ? 1 : lead >= 0xC2 && lead <= 0xDF ? 2 : lead >= 0xE0 && lead <= 0xEF ? 3
                                           : lead >= 0xF0 && lead <= 0xF4 ? 4 : 0;
        if (length == 0) return std::string_view::npos;
        for (size_t k = 1; k < length && i + k < bytes.size(); ++k) {
            if ((static_cast<uint8_t>(bytes[i + k]) & 0xC0) != 0x80) return std::string_view::npos;
        }
        if (length >= 3 && first == std::string_view::npos) first = i;
        i += length;
    }
    return first;
}

Text_Encoding Encoding_Of(std::string_view bytes) {
    Text_Encoding encoding;
    encoding.bom = bytes.substr(0, Utf8_Bom.size()) == Utf8_Bom;
    const size_t after = encoding.bom ? Utf8_Bom.size() : 0;
    const size_t utf8 = Utf8_Text_At(bytes.substr(after));
    if (utf8 != std::string_view::npos) encoding.utf8_at = after + utf8;
    return encoding;
}

bool Check_Hero_File(Findings& findings, Hero_Status_Info& hero, Position& start_at) {
    Reading reading;
    if (!Check_File(findings, Hero_File_Name, hero, Read_Hero_Status, Hero_Fields, reading)) return false;
    // The start column's value, or where the reading stopped before it.
    long offset = reading.end_offset;
    for (const Value_Note& note : reading.notes) {
        if (note.outcome == Value_Note::Outcome::Skipped) break;
        offset = note.start;
        if (note.field == &hero.x) break;
    }
    start_at = Position_At(reading, offset);
    if (findings.unicode != nullptr && !findings.utf8_files.empty() && findings.utf8_files.back().name == Hero_File_Name) {
        start_at = Screen_Position(findings.Path(Hero_File_Name), start_at, *findings.unicode);
    }
    return true;
}

bool Check_Monster_File(Findings& findings, const char* name, Monster_Status_Info& monster) {
    Reading reading;
    return Check_File(findings, name, monster, Read_Monster_Status, Monster_Fields, reading);
}

bool Check_Skill_File(Findings& findings, const char* name, Skill_Info& skill) {
    Reading reading;
    return Check_File(findings, name, skill, Read_Skill, Skill_Fields, reading);
}
