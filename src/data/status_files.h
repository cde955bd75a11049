#pragma once
// Loading of the twelve status files into the global records.

#include "data/records.h"

// Each returns 0 when its file cannot be opened, else reads it and returns 1.
// A file with too few or malformed values still loads: the fields after the
// first value that does not parse keep what they held.
int Load_Hero_Status();
int Load_Monster_Status(Monster_Status_Info& record, const char* file_name);
int Load_Skill(Skill_Info& record, const char* file_name);

// Load in the fixed order and stop at the first file that cannot be opened;
// the files after it are never opened.
int Load_All_Monsters();
int Load_All_Skills();
