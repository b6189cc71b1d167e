# The release package: a zip with Torvane.exe, help.htm and a Japanese read-me.
#
#   include(cmake/packaging.cmake)      # from the top-level list of the Windows build
#   cmake --build --preset mingw
#   cpack --config build/mingw/CPackConfig.cmake      # -> build/mingw/Torvane-<version>-win64.zip
#
# The read-me is kept in the source tree as UTF-8 with LF line ends. Japanese Windows tools
# read code page 932 with CR LF best, so the build converts it with iconv; where iconv is
# missing or cannot hold a character, it ships as UTF-8 with CR LF and a byte-order mark,
# which Notepad recognises.
#
# This file also serves as the conversion script itself, run by the build in script mode:
#   cmake -DREADME_IN=... -DREADME_OUT=... -DREADME_VERSION=... [-DICONV=...] -P packaging.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${README_IN}" _text)
  set(TORVANE_VERSION "${README_VERSION}")
  string(CONFIGURE "${_text}" _text @ONLY)
  string(REPLACE "\r\n" "\n" _text "${_text}")
  string(REPLACE "\n" "\r\n" _text "${_text}")
  set(_crlf "${README_OUT}.utf8")
  file(WRITE "${_crlf}" "${_text}")
  set(_converted FALSE)
  if(ICONV)
    execute_process(COMMAND "${ICONV}" -f UTF-8 -t CP932 "${_crlf}"
                    OUTPUT_FILE "${README_OUT}" RESULT_VARIABLE _rc ERROR_VARIABLE _err)
    if(_rc EQUAL 0)
      set(_converted TRUE)
    else()
      message(WARNING "readme.txt stays UTF-8: iconv could not convert it to CP932: ${_err}")
    endif()
  endif()
  if(NOT _converted)
    string(ASCII 239 187 191 _bom)
    file(WRITE "${README_OUT}" "${_bom}${_text}")
  endif()
  file(REMOVE "${_crlf}")
  return()
endif()

include_guard(GLOBAL)

get_filename_component(_torvane_pkg_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
# The file itself, not a link to it, goes into the zip.
get_filename_component(_torvane_help_page "${_torvane_pkg_root}/help.htm" REALPATH)
set(_torvane_readme_in "${_torvane_pkg_root}/packaging/readme.txt")
set(_torvane_readme_out "${CMAKE_BINARY_DIR}/packaging/readme.txt")

find_program(TORVANE_ICONV iconv DOC "iconv, to write the read-me in code page 932")
set(_torvane_iconv_arg "")
if(TORVANE_ICONV)
  set(_torvane_iconv_arg "-DICONV=${TORVANE_ICONV}")
endif()

add_custom_command(
  OUTPUT "${_torvane_readme_out}"
  COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/packaging"
  COMMAND "${CMAKE_COMMAND}" "-DREADME_IN=${_torvane_readme_in}"
          "-DREADME_OUT=${_torvane_readme_out}" "-DREADME_VERSION=${PROJECT_VERSION}"
          ${_torvane_iconv_arg} -P "${CMAKE_CURRENT_LIST_FILE}"
  DEPENDS "${_torvane_readme_in}" "${CMAKE_CURRENT_LIST_FILE}"
  COMMENT "Writing the read-me for the package"
  VERBATIM)
add_custom_target(torvane_readme ALL DEPENDS "${_torvane_readme_out}")

# Everything the zip holds goes in one component, so that install rules elsewhere in the
# tree (test drivers, tools) never end up in the package.
install(FILES "${_torvane_help_page}" "${_torvane_readme_out}"
        DESTINATION . COMPONENT torvane)

# The program's target may be defined after this file is included: look for it once the
# top-level list has been read.
function(_torvane_package_program)
  if(NOT TARGET Torvane)
    message(WARNING "packaging: there is no Torvane target, so the package will lack Torvane.exe")
    return()
  endif()
  install(TARGETS Torvane RUNTIME DESTINATION . COMPONENT torvane)
  # The program must start with nothing beside it: refuse a package whose executable wants
  # the MinGW runtime DLLs.
  if(CMAKE_OBJDUMP)
    install(CODE "
      execute_process(COMMAND \"${CMAKE_OBJDUMP}\" -p \"\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:Torvane>\"
                      OUTPUT_VARIABLE _imports RESULT_VARIABLE _rc)
      if(_rc EQUAL 0 AND _imports MATCHES \"DLL Name: (libstdc\\\\+\\\\+|libgcc_s|libwinpthread)\")
        message(FATAL_ERROR \"Torvane.exe needs \${CMAKE_MATCH_1}*.dll: link it statically (-static)\")
      endif()" COMPONENT torvane)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY "${CMAKE_SOURCE_DIR}" CALL _torvane_package_program)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Torvane)
set(CPACK_PACKAGE_VENDOR Torvane)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME "Torvane-${PROJECT_VERSION}-win64")
# The zip unpacks into a folder of its own, which is where TorVan.ini will be written.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}")
set(CPACK_COMPONENTS_ALL torvane)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
if(CMAKE_STRIP)
  set(CPACK_STRIP_FILES ON)
endif()
include(CPack)
