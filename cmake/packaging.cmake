# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
# The packages `make package` builds with CPack from the install rules
# (cmake/install.cmake): a Debian package from the native build, a zip from the
# Windows build. Both carry the version set once by project().

set(CPACK_PACKAGE_NAME console-rpg)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Seed f5a581e8 maintainers <maintainers@users.noreply.c-seed-f5a581e8.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small terminal role-playing game with Japanese texts")
set(CPACK_PACKAGE_DESCRIPTION [[The hero walks a field drawn from a map file while the pawn, one of six
monsters named after chess pieces, chases the hero whenever the two come
close. All texts are Japanese, read from data files in code page 932 and
shown in the terminal's own character set.

The sample data is installed with the game and copied to the player's own
data folder on the first start, where it can be edited.]])
# Released binaries carry no debug information.
set(CPACK_STRIP_FILES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Dependencies as the libraries the binaries link say, not as written by hand.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The launcher speaks the player's language through gettext.sh.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS gettext-base)
  # One package of everything installed, plus what only a Debian package wants.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  set(CPACK_COMPONENTS_ALL Unspecified debian)
endif()

include(CPack)

# What this build packages, for the package tests: its version, and whether the
# checker is built here (known only once every target is defined, so from a
# generator expression rather than from where this file happens to be included).
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/package-facts.txt
     CONTENT "version=${PROJECT_VERSION}\nchecker=$<TARGET_EXISTS:console-rpg-check>\n")
