# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
# Release builds that do not depend on where or when they were made, so that
# anyone can rebuild a release from its source and get the same bytes (`make
# repro-check`), and Windows programs as hardened as the native ones allow. The
# native hardening flags come from the Makefile (dpkg-buildflags).
#
# The folders of the source and of the build are mapped out of the binaries and
# their debug data: two clones at different paths give the same code, the same
# debug data and so the same build id, which the stripped programs keep. The
# build folder comes last, for the last map that matches wins and it usually
# sits inside the source.
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)

if(MINGW)
  # Loaded at a random address (ASLR, with 64-bit high-entropy addresses) and
  # never running code from data (NX): said here, not left to the linker's
  # defaults, which binutils before 2.36 did not have. And no link time in the
  # .exe header.
  add_link_options(LINKER:--dynamicbase LINKER:--high-entropy-va LINKER:--nxcompat
                   LINKER:--no-insert-timestamp)
endif()

# Just before CPack packs the staged files (cmake/stage-for-release.cmake).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/stage-for-release.cmake)
set(CPACK_CONSOLE_RPG_OBJCOPY ${CMAKE_OBJCOPY})
