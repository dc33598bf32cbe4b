# The libraries of the Windows build. Debian builds them for Linux only, so they are taken from
# their Debian packages as source: fmt, nlohmann-json and CLI11 as headers (fmt in its
# header-only form), GoogleTest from /usr/src/googletest, SQLite from the amalgamation that
# scripts/sqlite-amalgamation makes out of Debian's source package. zlib is the one library
# Debian builds for mingw-w64 itself (libz-mingw-w64-dev, the same version as zlib1g-dev).

# The host's header folders must not be searched as a whole (its C library headers would stand
# in for mingw's), so the three libraries' folders are copied into one of our own.
set(VORLITH_HOST_INCLUDE_DIR /usr/include CACHE PATH
    "Folder holding the fmt, nlohmann and CLI header folders of the Debian packages")
set(VORLITH_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/deps/include)
foreach(folder fmt nlohmann CLI)
    if(NOT EXISTS ${VORLITH_HOST_INCLUDE_DIR}/${folder})
        message(FATAL_ERROR "${VORLITH_HOST_INCLUDE_DIR}/${folder} is missing: run scripts/setup --dev")
    endif()
    file(COPY ${VORLITH_HOST_INCLUDE_DIR}/${folder} DESTINATION ${VORLITH_HEADER_ONLY_DIR})
endforeach()

add_library(vorlith_fmt INTERFACE)
target_include_directories(vorlith_fmt SYSTEM INTERFACE ${VORLITH_HEADER_ONLY_DIR})
target_compile_definitions(vorlith_fmt INTERFACE FMT_HEADER_ONLY=1)
add_library(fmt::fmt ALIAS vorlith_fmt)

add_library(vorlith_nlohmann_json INTERFACE)
target_include_directories(vorlith_nlohmann_json SYSTEM INTERFACE ${VORLITH_HEADER_ONLY_DIR})
add_library(nlohmann_json::nlohmann_json ALIAS vorlith_nlohmann_json)

add_library(vorlith_cli11 INTERFACE)
target_include_directories(vorlith_cli11 SYSTEM INTERFACE ${VORLITH_HEADER_ONLY_DIR})
add_library(CLI11::CLI11 ALIAS vorlith_cli11)

# SQLite: the amalgamation of the version the Linux build links, made once per build folder.
set(VORLITH_SQLITE_DIR ${CMAKE_BINARY_DIR}/deps/sqlite CACHE PATH
    "Folder holding sqlite3.c and sqlite3.h (made by scripts/sqlite-amalgamation when missing)")
if(NOT EXISTS ${VORLITH_SQLITE_DIR}/sqlite3.c)
    execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/sqlite-amalgamation ${VORLITH_SQLITE_DIR}
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "could not make the SQLite amalgamation in ${VORLITH_SQLITE_DIR}")
    endif()
endif()
enable_language(C)
add_library(vorlith_sqlite3 STATIC ${VORLITH_SQLITE_DIR}/sqlite3.c)
target_include_directories(vorlith_sqlite3 SYSTEM PUBLIC ${VORLITH_SQLITE_DIR})
# Built as Debian builds it for Linux, less the loadable extensions the program never loads.
target_compile_definitions(vorlith_sqlite3 PRIVATE SQLITE_OMIT_LOAD_EXTENSION=1)
add_library(SQLite::SQLite3 ALIAS vorlith_sqlite3)

# zlib (the PNG text chunks): Debian's mingw-w64 build, linked statically like everything else.
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

find_package(Threads REQUIRED)

if(VORLITH_BUILD_TESTS)
    set(VORLITH_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
        "GoogleTest's source folder (Debian package googletest)")
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${VORLITH_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest
                     EXCLUDE_FROM_ALL)
endif()
