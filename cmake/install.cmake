# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
# What `cmake --install` puts where. Included at the end of the top-level
# CMakeLists.txt, so that every program defined before it is seen here.
#
# On Unix the layout is a game's: the command players type (the launcher in
# tools/launcher) in games/, the game itself out of PATH under libexec/, the
# checker in bin/, the sample data under share/games/, a manual page for each
# program, and the README. On Windows the programs and the sample data sit
# together in one folder, game\, for the game reads its data from the folder
# it is started in: a player starts it there, and an author copies the folder
# to make data of their own, programs included. The README and the licence
# stand beside the folder.

set(CONSOLE_RPG_PROGRAMS console-rpg)
if(TARGET console-rpg-check)
  list(APPEND CONSOLE_RPG_PROGRAMS console-rpg-check)
endif()

# What an install or a package needs built, and nothing else (not the tests).
add_custom_target(programs)
add_dependencies(programs ${CONSOLE_RPG_PROGRAMS})
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# Directories an install creates are 0755 whatever the umask of the one who builds.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
  install(TARGETS ${CONSOLE_RPG_PROGRAMS} RUNTIME DESTINATION game)
  install(DIRECTORY game/ DESTINATION game)
  # What the Debian package says in its copyright file, the zip says here.
  install(FILES LICENSE DESTINATION .)
  # Windows users read them in Notepad, every line ended CRLF (the checker's
  # paragraph included, hence one conversion over the whole text): the English
  # in ASCII only, the Japanese beside it in UTF-8 with a byte-order mark,
  # which Notepad reads as UTF-8 in every version and whatever the system's
  # code page.
  string(ASCII 239 187 191 utf8_mark)
  foreach(language en ja)
    if(language STREQUAL en)
      set(folder doc)
      set(readme_name README.txt)
      set(mark "")
    else()
      set(folder doc/${language})
      set(readme_name README.${language}.txt)
      set(mark "${utf8_mark}")
    endif()
    set(CONSOLE_RPG_README_CHECKER "")
    if(TARGET console-rpg-check)
      file(READ ${folder}/README-windows-checker.txt CONSOLE_RPG_README_CHECKER)
      string(PREPEND CONSOLE_RPG_README_CHECKER "\n")
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                 ${folder}/README-windows.txt.in ${folder}/README-windows-checker.txt)
    file(READ ${folder}/README-windows.txt.in readme)
    string(CONFIGURE "${readme}" readme @ONLY)
    string(REPLACE "\n" "\r\n" readme "${mark}${readme}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${readme_name} "${readme}")
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${readme_name} DESTINATION .)
  endforeach()
  return()
endif()

include(GNUInstallDirs)
set(CONSOLE_RPG_LAUNCHER_DIR games)
set(CONSOLE_RPG_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/console-rpg)
set(CONSOLE_RPG_DATA_DIR ${CMAKE_INSTALL_DATAROOTDIR}/games/console-rpg)
set(CONSOLE_RPG_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/console-rpg)

install(TARGETS console-rpg RUNTIME DESTINATION ${CONSOLE_RPG_PROGRAM_DIR})
install(DIRECTORY game/ DESTINATION ${CONSOLE_RPG_DATA_DIR})
install(FILES README.md packaging/copyright DESTINATION ${CONSOLE_RPG_DOC_DIR})
# Only the Debian package has a use for this: see cmake/packaging.cmake.
set(CONSOLE_RPG_LINTIAN_CHECKER "")
if(TARGET console-rpg-check)
  string(CONCAT CONSOLE_RPG_LINTIAN_CHECKER
         "# The data checker is a tool for those who edit the game's data, not a game:\n"
         "# it goes with the other commands.\n"
         "console-rpg: package-section-games-but-has-usr-bin\n"
         "# Not a word in the program: the compiler copies \"a directory, not a regular\n"
         "# file\" in two overlapping halves, which meet as \"nott\".\n"
         "console-rpg: spelling-error-in-binary nott not [usr/bin/console-rpg-check]\n")
endif()
configure_file(packaging/lintian-overrides.in lintian-overrides @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/lintian-overrides RENAME console-rpg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT debian EXCLUDE_FROM_ALL)

# The launcher and the game's manual page name the installed paths, and only at
# install time is the prefix known for sure (`cmake --install --prefix`, and
# CPack's own), so they are filled in then, into the build tree, and installed
# from there. Manual pages and the changelog are compressed as Debian wants
# them: gzip -9 without a name or time stamp, so a rebuild gives the same bytes.
set(CONSOLE_RPG_AT_INSTALL ${CMAKE_CURRENT_BINARY_DIR}/at-install)
# The manual pages in other languages than English lie in doc/LANGUAGE/.
set(CONSOLE_RPG_MANUAL_LANGUAGES ja)
set(CONSOLE_RPG_COMPRESSED doc/console-rpg.6 packaging/changelog)
foreach(language ${CONSOLE_RPG_MANUAL_LANGUAGES})
  list(APPEND CONSOLE_RPG_COMPRESSED doc/${language}/console-rpg.6)
endforeach()
# The launcher names the checker to a player whose data is incomplete.
set(CONSOLE_RPG_HAS_CHECKER no)
if(TARGET console-rpg-check)
  set(CONSOLE_RPG_HAS_CHECKER yes)
  list(APPEND CONSOLE_RPG_COMPRESSED doc/console-rpg-check.1)
  foreach(language ${CONSOLE_RPG_MANUAL_LANGUAGES})
    list(APPEND CONSOLE_RPG_COMPRESSED doc/${language}/console-rpg-check.1)
  endforeach()
endif()
install(CODE "
  get_filename_component(prefix \"\${CMAKE_INSTALL_PREFIX}\" ABSOLUTE)
  cmake_path(APPEND prefix \"${CONSOLE_RPG_PROGRAM_DIR}\" console-rpg OUTPUT_VARIABLE CONSOLE_RPG_INSTALLED_PROGRAM)
  cmake_path(APPEND prefix \"${CONSOLE_RPG_DATA_DIR}\" OUTPUT_VARIABLE CONSOLE_RPG_INSTALLED_DATA)
  cmake_path(APPEND prefix \"${CMAKE_INSTALL_LOCALEDIR}\" OUTPUT_VARIABLE CONSOLE_RPG_INSTALLED_LOCALE)
  set(CONSOLE_RPG_INSTALLED_CHECKER \"\")
  if(\"${CONSOLE_RPG_HAS_CHECKER}\" STREQUAL \"yes\")
    cmake_path(APPEND prefix \"${CMAKE_INSTALL_BINDIR}\" console-rpg-check OUTPUT_VARIABLE CONSOLE_RPG_INSTALLED_CHECKER)
  endif()
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/tools/launcher/console-rpg.in\"
                 \"${CONSOLE_RPG_AT_INSTALL}/console-rpg\" @ONLY)
  foreach(file ${CONSOLE_RPG_COMPRESSED})
    cmake_path(GET file FILENAME name)
    # doc/ja/console-rpg.6 becomes at-install/ja/console-rpg.6
    cmake_path(GET file PARENT_PATH parent)
    cmake_path(GET parent FILENAME language)
    if(language STREQUAL \"doc\" OR language STREQUAL \"packaging\")
      set(language \"\")
    endif()
    configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/\${file}.in\" \"${CONSOLE_RPG_AT_INSTALL}/\${language}/\${name}\" @ONLY)
    execute_process(COMMAND gzip -9nf \"${CONSOLE_RPG_AT_INSTALL}/\${language}/\${name}\" COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
")
install(PROGRAMS ${CONSOLE_RPG_AT_INSTALL}/console-rpg DESTINATION ${CONSOLE_RPG_LAUNCHER_DIR})
install(FILES ${CONSOLE_RPG_AT_INSTALL}/console-rpg.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CONSOLE_RPG_AT_INSTALL}/changelog.gz DESTINATION ${CONSOLE_RPG_DOC_DIR})
foreach(language ${CONSOLE_RPG_MANUAL_LANGUAGES})
  install(FILES ${CONSOLE_RPG_AT_INSTALL}/${language}/console-rpg.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/${language}/man6)
endforeach()
install(FILES README.ja.md DESTINATION ${CONSOLE_RPG_DOC_DIR})
if(TARGET console-rpg-check)
  install(TARGETS console-rpg-check RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CONSOLE_RPG_AT_INSTALL}/console-rpg-check.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  foreach(language ${CONSOLE_RPG_MANUAL_LANGUAGES})
    install(FILES ${CONSOLE_RPG_AT_INSTALL}/${language}/console-rpg-check.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/${language}/man1)
  endforeach()
endif()
