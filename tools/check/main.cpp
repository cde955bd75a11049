// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
// console-rpg-check: tells the maker of the game's data what the game will
// make of it, the way a compiler tells a programmer.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cp932_text.h"
#include "data_check.h"
#include "platform/core/cp932_glyphs.h"
#include "platform/platform.h"
#include "report.h"
#include "tr.h"
#include "unicode_cp932.h"

namespace {

constexpr int Usage_Status = 2;

struct Options {
    bool json = false;
    bool map = false;
    bool help = false;
    bool version = false;
    bool fix = false;
    bool dry_run = false;
    bool folder_given = false;
    std::string folder;
    const char* error = nullptr;  // why the command line cannot be used, a template of
    std::string error_argument;   // what the user typed there
};

Options Parse(int argc, char** argv) {
    Options options;
    bool options_ended = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!options_ended && argument == "--") {
            options_ended = true;
        } else if (!options_ended && argument == "--json") {
            options.json = true;
        } else if (!options_ended && argument == "--map") {
            options.map = true;
        } else if (!options_ended && argument == "--fix") {
            options.fix = true;
        } else if (!options_ended && argument == "--dry-run") {
            options.dry_run = true;
        } else if (!options_ended && (argument == "--help" || argument == "-h")) {
            options.help = true;
        } else if (!options_ended && argument == "--version") {
            options.version = true;
        } else if (!options_ended && argument.size() > 1 && argument[0] == '-') {
            options.error = Tr("unknown option %s");
            options.error_argument = argument;
        } else if (options.folder_given) {
            options.error = Tr("more than one folder given");
        } else {
            options.folder = std::string(argument);
            options.folder_given = true;
        }
    }
    if (options.error == nullptr && options.dry_run && !options.fix) options.error = Tr("--dry-run goes with --fix");
    if (options.error == nullptr && options.fix && options.json) {
        options.error = Tr("--fix tells people, not tools: no --json with it");
    }
    return options;
}

// Code page 932 text, line by line, in the terminal's character set.
std::string Shown_Lines(std::string_view text, const platform::Glyph_Table& output) {
    std::string shown;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        shown += Shown(text.substr(0, end), output) + "\n";
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return shown;
}

// `message` is already in the terminal's character set.
int Fail(const std::string& message) {
    (void)platform::Write_Error("console-rpg-check: " + message + "\n");
    return Usage_Status;
}

}  // namespace

int main(int argc, char** argv) {
    Tr_Start(platform::User_Interface_Language());
    const Options options = Parse(argc, argv);
    // Standard error is a terminal as much as standard output is: what the
    // user typed is shown there made safe, as paths are in the report.
    const auto terminal = std::make_unique<platform::Glyph_Table>();
    platform::Load_Output_Glyphs(*terminal);
    const auto said = [&](const char* text) { return Shown(Made_Safe(text), *terminal); };
    // TRANSLATORS: keep the option names and the exit statuses; the first
    // line is also shown alone under a wrong command line.
    const std::string usage = Tr(
        "usage: console-rpg-check [--json] [--map] [DIR]\n"
        "       console-rpg-check --fix [--dry-run] [--map] [DIR]\n"
        "\n"
        "Reads the game's data in DIR (default: the working directory) as the game\n"
        "reads it: the twelve status files and the map test.txt. Prints what it\n"
        "finds, one line each, as FILE:LINE:COLUMN: error|warning|note: message\n"
        "(the column counts bytes), then a sheet of the battle rules worked out for\n"
        "the hero as loaded.\n"
        "\n"
        "  --fix       mend what has one meaning only: files in UTF-8 into code page\n"
        "              932 (without a byte-order mark); in the map, full-width spaces\n"
        "              into two spaces and lines one byte short of 53 given a space.\n"
        "              Prints what it changed, then the report on the result. The\n"
        "              originals are kept in DIR/before-fix; nothing is written when\n"
        "              a character has no code page 932 form\n"
        "  --dry-run   with --fix: print what it would change, and write nothing\n"
        "  --map       also draw the field as the game would, with the hero's and\n"
        "              the pawn's starts and every place the hero can reach\n"
        "  --json      print the findings and the sheet as one JSON document, in\n"
        "              UTF-8 whatever the locale\n"
        "  --help      print this help and exit\n"
        "  --version   print the version and exit\n"
        "\n"
        "Exit status: 0 no error and no warning (notes are information), 1 warnings,\n"
        "2 the game would not start (or the checker could not run).\n");
    if (options.error != nullptr) {
        // What was typed is shown as a path is.
        return Fail(Fill(said(options.error), {Path_Shown(options.error_argument, terminal->charset)}) + "\n" +
                    said(usage.substr(0, usage.find('\n')).c_str()));
    }
    if (options.help) return platform::Write_Output(Shown_Lines(usage, *terminal)) ? 0 : Usage_Status;
    if (options.version) return platform::Write_Output("console-rpg-check " CONSOLE_RPG_VERSION "\n") ? 0 : Usage_Status;

    // An empty name would be the working directory, which is where a script
    // whose variable came out empty least means to look.
    if (options.folder_given && options.folder.empty()) {
        return Fail(said(Tr("the folder name is empty (for the working directory, give .)")));
    }
    std::error_code error;
    if (!options.folder.empty() && !std::filesystem::is_directory(options.folder, error)) {
        return Fail(Fill(said(Tr("%s: not a folder")), {Path_Shown(options.folder, terminal->charset)}));
    }
    const auto utf8 = std::make_unique<platform::Glyph_Table>();
    platform::Load_Utf8_Glyphs(*utf8);
    const Unicode_To_Cp932 unicode = Unicode_Table_From(*utf8);
    std::string report;
    if (options.fix) {
        const Fix_Result fix = Fix_Data(options.folder, unicode, !options.dry_run);
        report = Fix_Report(fix, *terminal, options.dry_run);
        // A dry run or a fix that stopped has no result to report on.
        if (options.dry_run || fix.failed) {
            if (!platform::Write_Output(report) || std::fflush(stdout) != 0) return Fail(said(Tr("cannot write the report")));
            return fix.failed ? Usage_Status : 0;
        }
        report += "\n";
    }
    if (options.json) {  // UTF-8 whatever the locale
        // The messages in English, which tools may match, and again in the
        // user's language for people (the page shows those).
        const bool translates = Tr_Translates();
        Tr_Use_English(true);
        const Check_Result result = Check_Data(options.folder, &unicode);
        Tr_Use_English(false);
        std::vector<std::string> translated;
        if (translates) {
            for (const Finding& finding : Check_Data(options.folder, &unicode).findings.list) {
                translated.push_back(finding.message);
            }
        }
        report += Json_Report(result, translated, *utf8, options.map);
        if (!platform::Write_Output(report) || std::fflush(stdout) != 0) return Fail(said(Tr("cannot write the report")));
        return Exit_Status(result.findings.list);
    }
    const Check_Result result = Check_Data(options.folder, &unicode);
    report += Text_Report(result, *terminal, options.map);
    if (!platform::Write_Output(report) || std::fflush(stdout) != 0) return Fail(said(Tr("cannot write the report")));
    return Exit_Status(result.findings.list);
}
