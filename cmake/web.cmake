# The browser build (`make web`): configured with emcmake, it builds the same
# game library and the checker from the same sources as the other builds, with
# the page's back end (src/platform/web/) in place of a terminal's. Included
# from the top-level CMakeLists.txt, which stops after it: the tests, the
# install rules and the packages are the native builds' own.

# The page's back end: the console in the page, and the POSIX file services,
# which serve the in-memory file system as they serve a disk.
file(GLOB WEB_BACKEND_SOURCES CONFIGURE_DEPENDS src/platform/web/*.cpp)
add_library(rpg_platform STATIC src/platform/core/console_services.cpp ${WEB_BACKEND_SOURCES}
            src/platform/posix/files.cpp)
target_link_libraries(rpg_platform PUBLIC rpg_terminal_core)

# Each program is a module the page starts as often as it likes
# (createGame(), createChecker()), every start with its own memory and files;
# it ends with exit(), which the page hears of (onExit).
set(WEB_LINK_OPTIONS -sMODULARIZE=1 -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sFILESYSTEM=1
    "-sEXPORTED_RUNTIME_METHODS=[FS,callMain]" -sALLOW_MEMORY_GROWTH=0)

add_executable(console-rpg src/shell/main.cpp)
target_link_libraries(console-rpg PRIVATE rpg_game rpg_platform)
# The sample data is part of the module (in /game), so the game starts at once.
# The game sleeps (Pause_Ms) only through direct calls, so Asyncify need not
# instrument the calls through pointers: less code, and less work at each pause.
target_link_options(console-rpg PRIVATE ${WEB_LINK_OPTIONS} -sEXPORT_NAME=createGame -sASYNCIFY
                    -sASYNCIFY_IGNORE_INDIRECT=1 "--embed-file=${CMAKE_CURRENT_SOURCE_DIR}/game@/game")
set_property(TARGET console-rpg APPEND PROPERTY LINK_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/game)

file(GLOB CHECK_SOURCES CONFIGURE_DEPENDS tools/check/*.cpp)
list(REMOVE_ITEM CHECK_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tools/check/main.cpp)
add_library(rpg_check STATIC ${CHECK_SOURCES})
target_include_directories(rpg_check PUBLIC tools/check)
target_link_libraries(rpg_check PUBLIC rpg_game rpg_terminal_core)

add_executable(console-rpg-check tools/check/main.cpp)
target_link_libraries(console-rpg-check PRIVATE rpg_check rpg_game rpg_platform)
target_compile_definitions(console-rpg-check PRIVATE CONSOLE_RPG_VERSION="${PROJECT_VERSION}")
target_link_options(console-rpg-check PRIVATE ${WEB_LINK_OPTIONS} -sEXPORT_NAME=createChecker -sINVOKE_RUN=0)
