# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads):
#   cmake --preset windows
# MinGW keeps the 80-bit long double the results are defined by; the programs
# are linked statically so the .exe needs no DLL beyond Windows' own, and run
# under Wine for the tests (scripts/wine-run, a prefix inside the build tree).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
# The static Qt for Windows and the other libraries built beside it (libjpeg,
# zlib, libzip, GEOS; scripts/build-qt-windows): one more root to search, so
# find_package finds them all, also in the compiler checks' own projects.
set(KESTRIN_QT_WINDOWS "" CACHE PATH "Qt 6 and the other libraries built for Windows (scripts/build-qt-windows)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTRIN_QT_WINDOWS)
if(KESTRIN_QT_WINDOWS)
  list(APPEND CMAKE_FIND_ROOT_PATH ${KESTRIN_QT_WINDOWS})
  # Qt's code generators (moc, rcc, uic) are the build machine's, of the same version.
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(source_dir ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${source_dir}/scripts/wine-run ${CMAKE_BINARY_DIR}/wineprefix)
endif()
