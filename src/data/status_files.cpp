// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
#include "data/status_files.h"

#include "data/text_reader.h"

Hero_Status_Info hero{};
std::array<Monster_Status_Info, Monster_Count> monsters{};
std::array<Skill_Info, Skill_Count> skills{};

namespace {

template <typename Field, size_t N>
void Numbers(Value_Scanner& scan, std::array<Field, N>& fields) {
    for (Field& field : fields) scan.Number(field);
}

}  // namespace

void Read_Hero_Status(Value_Scanner& scan, Hero_Status_Info& record) {
    scan.Token(record.name);
    scan.Number(record.hp);
    scan.Number(record.attack);
    scan.Number(record.defense);
    scan.Number(record.stat4);
    scan.Number(record.stat5);
    scan.Number(record.stat6);
    scan.Number(record.rating);
    scan.Number(record.exp);
    scan.Number(record.level);
    scan.Number(record.aux);
    Numbers(scan, record.group3);
    Numbers(scan, record.group4);
    Numbers(scan, record.group5);
    scan.Number(record.x);
    scan.Number(record.y);
}

void Read_Monster_Status(Value_Scanner& scan, Monster_Status_Info& record) {
    scan.Token(record.name);
    scan.Number(record.lead_value);
    scan.Token(record.glyph);
    scan.Number(record.pre_value);
    scan.Number(record.hp);
    scan.Number(record.attack);
    scan.Number(record.defense);
    scan.Number(record.stat4);
    scan.Number(record.stat5);
    scan.Number(record.stat6);
    scan.Number(record.post_value);
}

void Read_Skill(Value_Scanner& scan, Skill_Info& record) {
    scan.Token(record.name);
    scan.Number(record.lead_value);
    scan.Number(record.power);
    scan.Number(record.penetration);
}

namespace {

template <typename Record, typename Reader>
int Load_Record(Record& record, const char* file_name, Reader read) {
    Text_File text;
    if (!Open_Text_File(text, file_name)) return 0;
    Value_Scanner scan{text};
    read(scan, record);
    Close_Text_File(text);
    return 1;
}

}  // namespace

int Load_Hero_Status() { return Load_Record(hero, Hero_File_Name, Read_Hero_Status); }

int Load_Monster_Status(Monster_Status_Info& record, const char* file_name) {
    return Load_Record(record, file_name, Read_Monster_Status);
}

int Load_Skill(Skill_Info& record, const char* file_name) {
    return Load_Record(record, file_name, Read_Skill);
}

int Load_All_Monsters() {
    for (size_t i = 0; i < monsters.size(); ++i) {
        if (Load_Monster_Status(monsters[i], Monster_Files[i]) == 0) return 0;
    }
    return 1;
}

int Load_All_Skills() {
    for (size_t i = 0; i < skills.size(); ++i) {
        if (Load_Skill(skills[i], Skill_Files[i]) == 0) return 0;
    }
    return 1;
}
