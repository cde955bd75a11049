// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#pragma once
// One JSON document, written as it goes: containers opened and closed,
// members and values in order, every string escaped in one place. The outer
// containers take a line for each element, the inner ones stay on one line.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The text inside a JSON string, in UTF-8: each byte that is not UTF-8
// becomes U+FFFD; quotes, backslashes and every control (C0, DEL and the C1
// controls U+0080 to U+009F) are escaped.
std::string Json_Escaped(std::string_view utf8);

struct Json_Writer {
    std::string text;

    void Open_Object() { Open('{'); }
    void Close_Object() { Close('}'); }
    void Open_Array() { Open('['); }
    void Close_Array() { Close(']'); }
    // A member's name; its value comes next.
    void Key(std::string_view name);
    void String(std::string_view utf8);
    void Number(int64_t value);
    void Bool(bool value);
    void Null();

private:
    struct Level {
        bool empty = true;
        bool lines = false;  // an element a line
    };
    std::vector<Level> open_;
    bool after_key_ = false;

    void Open(char bracket);
    void Close(char bracket);
    void Before_Value();
};
