# Cross-compiles for 64-bit Windows with MinGW-w64 (posix threads, so std::thread works).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ME_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ME_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ME_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${ME_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ME_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the compiler runtime statically into every exe and DLL, so nothing has to
# find libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll at run time.
# -static also pulls winpthread in statically; system DLLs still link through
# their import libraries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
# A DLL must not export the runtime linked into it (a DLL built with
# --export-all-symbols would, and its users would then see _Unwind_Resume twice).
# Only the runtime is excluded: kticore.dll exports the host's own static
# library on purpose.
foreach(kind SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT
      "${CMAKE_EXE_LINKER_FLAGS_INIT} -Wl,--exclude-libs=libgcc.a:libgcc_eh.a:libstdc++.a:libwinpthread.a:libssp.a")
endforeach()

# ctest and add_test run the .exe files through Wine.
get_filename_component(ME_SOURCE_ROOT "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${ME_SOURCE_ROOT}/scripts/wine-run")
