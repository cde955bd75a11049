# SPDX-FileCopyrightText: 2026 the console-rpg authors
# SPDX-License-Identifier: MIT
# Run by CPack on the staged files before it packs them (CPACK_PRE_BUILD_SCRIPTS
# in cmake/release.cmake).

# The compiler's version notes (.comment) go from the Linux programs, as Debian's
# own packages strip them; CPack's strip keeps them.
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(file ${staged})
  file(READ "${file}" magic LIMIT 4 HEX)
  if(magic STREQUAL "7f454c46" AND NOT IS_SYMLINK "${file}")
    execute_process(COMMAND "${CPACK_CONSOLE_RPG_OBJCOPY}" --remove-section=.comment "${file}"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()

# Modes as an install wants them whatever the umask of the one who builds: the
# folders CPack makes on its own way to the staged files follow the umask.
# Folders and programs 755, every other file 644.
execute_process(COMMAND chmod -R u=rwX,go=rX "${CPACK_TEMPORARY_DIRECTORY}" COMMAND_ERROR_IS_FATAL ANY)

# Every file and folder packed gets the time SOURCE_DATE_EPOCH names, the last
# commit's, rather than when it was built or checked out, so that the archive
# is the same whenever it is made. (CPack's Debian package takes that time by
# itself; its zip does not.)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  message(WARNING "SOURCE_DATE_EPOCH is not set: the package keeps the times of its build")
  return()
endif()
execute_process(COMMAND find "${CPACK_TEMPORARY_DIRECTORY}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
                COMMAND_ERROR_IS_FATAL ANY)
