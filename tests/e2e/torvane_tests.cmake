# Torvane.exe end to end, one test program per feature: its four windows, the picture list
# dialog with its help button, the show, the settings file across two starts and at the end
# of a Windows session, and the DLLs it must not take from its own folder. Included by
# CMakeLists.txt when the Torvane target exists.

# Helpers the programs share: window titles, ids and message texts, starting the program in a
# folder of its own, browsing, a mapped drive, the viewer registration.
add_library(torvane_e2e_support STATIC e2e_support.cpp)
target_link_libraries(torvane_e2e_support PUBLIC torvane_e2e_gtest advapi32 PRIVATE torvane_flags)

# The stand-in HTML viewer that the help test registers for .htm files.
add_executable(e2e_help_viewer WIN32 help_viewer.cpp)
target_compile_definitions(e2e_help_viewer PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
target_link_libraries(e2e_help_viewer PRIVATE shell32 torvane_flags)
target_link_options(e2e_help_viewer PRIVATE -municode)

torvane_add_e2e_program(e2e_dialog PREFIX "dialog."
  SOURCES dialog_test.cpp
  ARGS "--exe=$<TARGET_FILE:Torvane>" "--viewer=$<TARGET_FILE:e2e_help_viewer>")
target_link_libraries(e2e_dialog PRIVATE torvane_e2e_support)
add_dependencies(e2e_dialog Torvane e2e_help_viewer)

# The stand-in DLL that the DLL search test plants beside the program under system names.
add_library(e2e_standin SHARED standin_dll.cpp)
set_target_properties(e2e_standin PROPERTIES PREFIX "")
target_compile_definitions(e2e_standin PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN)
target_link_options(e2e_standin PRIVATE -static)

torvane_add_e2e_program(e2e_dll_search PREFIX "dll."
  SOURCES dll_search_test.cpp
  ARGS "--exe=$<TARGET_FILE:Torvane>" "--standin=$<TARGET_FILE:e2e_standin>")
target_link_libraries(e2e_dll_search PRIVATE torvane_e2e_support)
add_dependencies(e2e_dll_search Torvane e2e_standin)
# The loader looks for these beside the program first, as Windows does for a DLL that is not
# a known one (the rest is scripts/wine-env.sh's default).
set_property(TEST dll.DllSearch.NoDllBesideTheProgramIsLoaded APPEND PROPERTY ENVIRONMENT
  "WINEDLLOVERRIDES=mscoree,mshtml=\\;winedbg.exe=d\\;mpr,comctl32=n,b")

foreach(_feature windows show settings)
  torvane_add_e2e_program(e2e_${_feature} PREFIX "${_feature}."
    SOURCES ${_feature}_test.cpp
    ARGS "--exe=$<TARGET_FILE:Torvane>")
  target_link_libraries(e2e_${_feature} PRIVATE torvane_e2e_support)
  add_dependencies(e2e_${_feature} Torvane)
endforeach()

# A slow disk for chosen files: a library built for the host and preloaded into Wine, which
# holds up the first read of the files a test names (see slow_reads.c).
find_program(TORVANE_HOST_CC NAMES gcc cc PATHS /usr/bin NO_CMAKE_FIND_ROOT_PATH)
if(NOT TORVANE_HOST_CC)
  message(FATAL_ERROR "No host C compiler for the slow-disk library: run scripts/setup.sh")
endif()
set(TORVANE_SLOW_READS "${CMAKE_CURRENT_BINARY_DIR}/slow_reads.so")
add_custom_command(OUTPUT "${TORVANE_SLOW_READS}"
  COMMAND "${TORVANE_HOST_CC}" -shared -fPIC -O2 -Wall -o "${TORVANE_SLOW_READS}"
          "${CMAKE_CURRENT_SOURCE_DIR}/slow_reads.c" -ldl
  DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/slow_reads.c"
  COMMENT "Building the slow-disk library for the host"
  VERBATIM)
add_custom_target(e2e_slow_reads ALL DEPENDS "${TORVANE_SLOW_READS}")

torvane_add_e2e_program(e2e_slow_picture PREFIX "slow."
  SOURCES slow_picture_test.cpp
  ARGS "--exe=$<TARGET_FILE:Torvane>")
target_link_libraries(e2e_slow_picture PRIVATE torvane_e2e_support)
add_dependencies(e2e_slow_picture Torvane e2e_slow_reads)
# A read of 20 s: long enough that an answer the program gives while it waits cannot come
# from a program that waited for it, however busy the machine.
set_property(TEST slow.SlowPicture.TheProgramAnswersKeepsThePictureAndStopsAtOnceWhileAPictureLoads
                  slow.SlowPicture.AShowStartedAgainDoesNotWaitForAReadOfTheShowBefore
  APPEND PROPERTY ENVIRONMENT
  "LD_PRELOAD=${TORVANE_SLOW_READS}"
  "TORVANE_SLOW_DIR=${CMAKE_CURRENT_BINARY_DIR}/slow-reads"
  "TORVANE_SLOW_MS=20000")

# Folder names code page 932 cannot hold, through TorVan.ini and the next start.
torvane_add_e2e_program(e2e_code_page PREFIX "codepage."
  SOURCES settings_code_page_test.cpp
  ARGS "--exe=$<TARGET_FILE:Torvane>")
target_link_libraries(e2e_code_page PRIVATE torvane_e2e_support)
add_dependencies(e2e_code_page Torvane)

# Drives that come while the dialog is open, with their labels learnt beside the UI thread.
torvane_add_e2e_program(e2e_drive_labels PREFIX "drives."
  SOURCES drive_labels_test.cpp
  ARGS "--exe=$<TARGET_FILE:Torvane>")
target_link_libraries(e2e_drive_labels PRIVATE torvane_e2e_support)
add_dependencies(e2e_drive_labels Torvane)

# The UTF-8 code page ("Use Unicode UTF-8 for worldwide language support"): Wine takes it from
# a locale whose Windows code page is Unicode only.
set_property(TEST codepage.CodePageFolders.UnderTheUtf8CodePageEveryNameIsStoredAsItIs
  APPEND PROPERTY ENVIRONMENT "TORVANE_LOCALE=hi_IN.UTF-8")
