# Windows resources of Torvane.exe: icon, version information and manifest.
#
#   include(cmake/resources.cmake)      # once, anywhere before the first call
#   torvane_add_resources(Torvane)
#
# The icon's source is the text picture res/torvane_icon.txt; tools/make_icon.cpp turns it
# into res/torvane.ico in the build folder at build time. In a cross build that tool must run
# on the build machine, so it is compiled with the host's C++ compiler by a custom command,
# not with the target compiler; a native Windows build simply builds it as a program.
include_guard(GLOBAL)

get_filename_component(_torvane_res_source_dir "${CMAKE_CURRENT_LIST_DIR}/../res" ABSOLUTE)
get_filename_component(_torvane_icon_tool_source "${CMAKE_CURRENT_LIST_DIR}/../tools/make_icon.cpp" ABSOLUTE)
set(_torvane_res_binary_dir "${CMAKE_BINARY_DIR}/res")
set(_torvane_icon_file "${_torvane_res_binary_dir}/torvane.ico")

if(WIN32)
  if(CMAKE_CROSSCOMPILING)
    find_program(TORVANE_HOST_CXX NAMES c++ g++ clang++
      DOC "C++ compiler of the build machine, for build-time tools such as the icon converter")
    if(NOT TORVANE_HOST_CXX)
      message(FATAL_ERROR "No C++ compiler for the build machine (c++, g++ or clang++) to build "
        "tools/make_icon.cpp: run scripts/setup.sh, or set TORVANE_HOST_CXX")
    endif()
    set(_torvane_icon_tool "${_torvane_res_binary_dir}/make_icon")
    add_custom_command(
      OUTPUT "${_torvane_icon_tool}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${_torvane_res_binary_dir}"
      COMMAND "${TORVANE_HOST_CXX}" -std=c++17 -O2 -o "${_torvane_icon_tool}" "${_torvane_icon_tool_source}"
      DEPENDS "${_torvane_icon_tool_source}"
      COMMENT "Building the icon converter for the build machine"
      VERBATIM)
    set(_torvane_icon_tool_command "${_torvane_icon_tool}")
    set(_torvane_icon_tool_depends "${_torvane_icon_tool}")
  else()
    add_executable(torvane_make_icon "${_torvane_icon_tool_source}")
    set_target_properties(torvane_make_icon PROPERTIES CXX_STANDARD 17)
    set(_torvane_icon_tool_command torvane_make_icon)
    set(_torvane_icon_tool_depends torvane_make_icon)
  endif()

  add_custom_command(
    OUTPUT "${_torvane_icon_file}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${_torvane_res_binary_dir}"
    COMMAND ${_torvane_icon_tool_command} "${_torvane_res_source_dir}/torvane_icon.txt" "${_torvane_icon_file}"
    DEPENDS ${_torvane_icon_tool_depends} "${_torvane_res_source_dir}/torvane_icon.txt"
    COMMENT "Drawing torvane.ico from res/torvane_icon.txt"
    VERBATIM)
  add_custom_target(torvane_icon DEPENDS "${_torvane_icon_file}")
endif()

# Links the icon (id 1), the version information and the manifest into `target`.
# Does nothing outside Windows builds, so callers need no guard of their own.
function(torvane_add_resources target)
  if(NOT WIN32)
    return()
  endif()
  # Variables of the include are gone when another folder calls this: derive paths here.
  get_filename_component(_res_source_dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../res" ABSOLUTE)
  set(_res_binary_dir "${CMAKE_BINARY_DIR}/res")
  set(_rc "${_res_source_dir}/torvane.rc")
  target_sources(${target} PRIVATE "${_rc}")
  # windres looks for the files an .rc names in its include folders: the generated icon
  # in the build tree and the manifest beside the .rc.
  set(_major 1)
  set(_minor 0)
  set(_patch 0)
  if(DEFINED PROJECT_VERSION_MAJOR AND NOT PROJECT_VERSION_MAJOR STREQUAL "")
    set(_major ${PROJECT_VERSION_MAJOR})
    set(_minor ${PROJECT_VERSION_MINOR})
    set(_patch ${PROJECT_VERSION_PATCH})
  endif()
  if(_minor STREQUAL "")
    set(_minor 0)
  endif()
  if(_patch STREQUAL "")
    set(_patch 0)
  endif()
  set_source_files_properties("${_rc}" PROPERTIES
    INCLUDE_DIRECTORIES "${_res_binary_dir};${_res_source_dir}"
    COMPILE_DEFINITIONS "TORVANE_VERSION_MAJOR=${_major};TORVANE_VERSION_MINOR=${_minor};TORVANE_VERSION_PATCH=${_patch}"
    OBJECT_DEPENDS "${_res_binary_dir}/torvane.ico;${_res_source_dir}/torvane.manifest")
  add_dependencies(${target} torvane_icon)
endfunction()
