# The libraries of the Windows build, compiled by the cross compiler from Debian's
# sources rather than found on the system: SQLite from the amalgamation that
# tools/build-windows makes out of Debian's source package of sqlite3
# (RANTA2KV_SQLITE_SOURCE_DIR), GoogleTest from /usr/src/googletest.
enable_language(C)

set(RANTA2KV_SQLITE_SOURCE_DIR "" CACHE PATH "Folder holding sqlite3.c and sqlite3.h")
if(NOT EXISTS "${RANTA2KV_SQLITE_SOURCE_DIR}/sqlite3.c")
  message(FATAL_ERROR "RANTA2KV_SQLITE_SOURCE_DIR must name the folder of sqlite3.c (tools/build-windows makes it)")
endif()
add_library(ranta2kv_sqlite3 STATIC "${RANTA2KV_SQLITE_SOURCE_DIR}/sqlite3.c")
target_include_directories(ranta2kv_sqlite3 SYSTEM PUBLIC "${RANTA2KV_SQLITE_SOURCE_DIR}")
# The compile options of Debian's libsqlite3, so that both builds answer the same
# statements the same way.
target_compile_definitions(ranta2kv_sqlite3 PRIVATE
  SQLITE_SECURE_DELETE SQLITE_ENABLE_COLUMN_METADATA
  SQLITE_ENABLE_FTS3 SQLITE_ENABLE_FTS3_PARENTHESIS
  SQLITE_ENABLE_RTREE=1 SQLITE_SOUNDEX=1
  SQLITE_ENABLE_UNLOCK_NOTIFY
  SQLITE_OMIT_LOOKASIDE=1 SQLITE_ENABLE_DBSTAT_VTAB
  SQLITE_ALLOW_ROWID_IN_VIEW
  SQLITE_ENABLE_UPDATE_DELETE_LIMIT=1
  SQLITE_ENABLE_LOAD_EXTENSION
  SQLITE_ENABLE_JSON1
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  SQLITE_THREADSAFE=1
  SQLITE_ENABLE_FTS3_TOKENIZER=1
  SQLITE_USE_URI=1
  SQLITE_MAX_SCHEMA_RETRY=25
  SQLITE_ENABLE_PREUPDATE_HOOK
  SQLITE_ENABLE_SESSION
  SQLITE_ENABLE_STMTVTAB
  SQLITE_MAX_VARIABLE_NUMBER=250000)
target_compile_options(ranta2kv_sqlite3 PRIVATE -O2 -fno-strict-aliasing -w)
add_library(SQLite::SQLite3 ALIAS ranta2kv_sqlite3)

if(RANTA2KV_BUILD_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)  # defines GTest::gtest and GTest::gtest_main
endif()

# The word size built for: what the manifest and the version resources name, and
# the Wine prefix the tests run in (as tools/windows-builds makes it: a 32-bit
# build in a 32-bit prefix reporting Windows 7, a 64-bit one in a 64-bit prefix
# reporting Windows 10).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(RANTA2KV_WINDOWS_MACHINE x64)
  set(RANTA2KV_MANIFEST_ARCHITECTURE amd64)
  set(RANTA2KV_WINE_ARCH win64)
  set(RANTA2KV_WINE_VERSION win10)
else()
  set(RANTA2KV_WINDOWS_MACHINE x86)
  set(RANTA2KV_MANIFEST_ARCHITECTURE x86)
  set(RANTA2KV_WINE_ARCH win32)
  set(RANTA2KV_WINE_VERSION win7)
endif()
math(EXPR RANTA2KV_WINDOWS_BITS "${CMAKE_SIZEOF_VOID_P} * 8")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/windows_build.h CONTENT [[
// The Windows the programs of this build run on, for their version resources.
#define RANTA2KV_SUPPORTED_WINDOWS "Windows 7 SP1 or later, @RANTA2KV_WINDOWS_BITS@-bit (@RANTA2KV_WINDOWS_MACHINE@)"
]] @ONLY)

# ctest runs the Windows programs under Wine, in a Wine prefix of this build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
  "${CMAKE_COMMAND};-E;env;WINEARCH=${RANTA2KV_WINE_ARCH};RANTA2KV_WINE_VERSION=${RANTA2KV_WINE_VERSION};${CMAKE_SOURCE_DIR}/tools/wine-run;${CMAKE_BINARY_DIR}/wine-prefix")
