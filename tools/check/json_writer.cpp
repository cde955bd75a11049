// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "json_writer.h"

#include "cp932_text.h"

namespace {

bool Is_C0_Or_Del(uint8_t byte) { return byte < 0x20 || byte == 0x7F; }

std::string Escaped_Control(uint8_t code) { return "\\u00" + Hex_Byte(code).substr(2); }

// Objects take lines to this depth, arrays (of findings, rows, map lines) one deeper.
constexpr size_t Object_Lines_To = 2;
constexpr size_t Array_Lines_To = 3;

}  // namespace

std::string Json_Escaped(std::string_view utf8) {
    std::string json;
    for (size_t i = 0; i < utf8.size();) {
        const size_t length = Utf8_Length(utf8, i);
        const auto byte = static_cast<uint8_t>(utf8[i]);
        if (length == 0) {
            json += "\xEF\xBF\xBD";  // U+FFFD, the replacement character
            ++i;
            continue;
        }
        if (byte == '"' || byte == '\\') {
            json += '\\';
            json += utf8[i];
        } else if (Is_C0_Or_Del(byte)) {
            json += Escaped_Control(byte);
        } else if (length == 2 && byte == 0xC2 && static_cast<uint8_t>(utf8[i + 1]) <= 0x9F) {
            json += Escaped_Control(static_cast<uint8_t>(utf8[i + 1]));
        } else {
            json += utf8.substr(i, length);
        }
        i += length;
    }
    return json;
}

void Json_Writer::Before_Value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (open_.empty()) return;
    Level& level = open_.back();
    if (!level.empty) text += ',';
    if (level.lines) {
        text += '\n';
        text.append(open_.size() == 1 ? 0 : 2 * (open_.size() - 1), ' ');
    } else if (!level.empty) {
        text += ' ';
    }
    level.empty = false;
}

void Json_Writer::Open(char bracket) {
    Before_Value();
    text += bracket;
    const size_t depth = open_.size() + 1;
    open_.push_back({true, depth <= (bracket == '{' ? Object_Lines_To : Array_Lines_To)});
}

void Json_Writer::Close(char bracket) {
    const Level level = open_.back();
    open_.pop_back();
    if (level.lines && !level.empty) {
        text += '\n';
        text.append(open_.size() <= 1 ? 0 : 2 * (open_.size() - 1), ' ');
    }
    text += bracket;
    if (open_.empty()) text += '\n';
}

void Json_Writer::Key(std::string_view name) {
    Before_Value();
    text += '"' + Json_Escaped(name) + "\": ";
    after_key_ = true;
}

void Json_Writer::String(std::string_view utf8) {
    Before_Value();
    text += '"' + Json_Escaped(utf8) + '"';
}

void Json_Writer::Number(int64_t value) {
    Before_Value();
    text += std::to_string(value);
}

void Json_Writer::Bool(bool value) {
    Before_Value();
    text += value ? "true" : "false";
}

void Json_Writer::Null() {
    Before_Value();
    text += "null";
}
