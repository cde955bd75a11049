# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
# The translations of the programs beside the game: one gettext catalog a
# language in po/ (tools/i18n/catalogs keeps them in step with the sources).
#
# With glibc (Linux) the checker reads them through gettext: msgfmt --check
# compiles each into locale/LANG/LC_MESSAGES/console-rpg.mo beside the
# programs of the build tree, where they are found when run from there, and
# the install puts them under share/locale, where the launcher finds them too.
# Without gettext (Windows, the page) they are made into tables compiled in.

file(GLOB CONSOLE_RPG_CATALOGS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/po/*.po)

if(WIN32 OR EMSCRIPTEN)
  find_program(PYTHON3_FOR_TABLES python3 REQUIRED)
  set(tables ${CMAKE_BINARY_DIR}/generated/catalog_tables.h)
  add_custom_command(OUTPUT ${tables}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
    COMMAND ${PYTHON3_FOR_TABLES} ${PROJECT_SOURCE_DIR}/tools/i18n/catalog_tables.py ${tables} ${CONSOLE_RPG_CATALOGS}
    DEPENDS ${PROJECT_SOURCE_DIR}/tools/i18n/catalog_tables.py ${CONSOLE_RPG_CATALOGS}
    COMMENT "Tables of the translations")
  target_sources(rpg_check PRIVATE ${tables})
  target_include_directories(rpg_check PRIVATE ${CMAKE_BINARY_DIR}/generated)
  target_compile_definitions(rpg_check PRIVATE CONSOLE_RPG_GETTEXT=0)
  return()
endif()

include(GNUInstallDirs)
find_program(MSGFMT msgfmt REQUIRED)
set(CONSOLE_RPG_COMPILED_CATALOGS "")
foreach(catalog ${CONSOLE_RPG_CATALOGS})
  get_filename_component(language ${catalog} NAME_WE)
  set(folder ${CMAKE_BINARY_DIR}/locale/${language}/LC_MESSAGES)
  add_custom_command(OUTPUT ${folder}/console-rpg.mo
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${MSGFMT} --check -o ${folder}/console-rpg.mo ${catalog}
    DEPENDS ${catalog}
    COMMENT "Compiling the ${language} catalog")
  list(APPEND CONSOLE_RPG_COMPILED_CATALOGS ${folder}/console-rpg.mo)
  install(FILES ${folder}/console-rpg.mo DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
endforeach()
add_custom_target(catalogs ALL DEPENDS ${CONSOLE_RPG_COMPILED_CATALOGS})
add_dependencies(rpg_check catalogs)
# Where an installed checker finds them from its own folder, and where they
# go when it cannot tell its own folder.
file(RELATIVE_PATH locale_from_program ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LOCALEDIR})
target_compile_definitions(rpg_check PRIVATE CONSOLE_RPG_GETTEXT=1
  CONSOLE_RPG_LOCALEDIR="${CMAKE_INSTALL_FULL_LOCALEDIR}" CONSOLE_RPG_LOCALEDIR_FROM_PROGRAM="${locale_from_program}")
