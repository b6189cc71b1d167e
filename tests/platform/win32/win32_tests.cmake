# Tests of the Win32 backend itself: the services and the views, in-process under Wine.
# Windows builds only: src/platform/win32/CMakeLists.txt includes this file once the
# GoogleTest that tests/e2e builds for MinGW exists.
include(GoogleTest)

add_executable(win32_backend_test
  ${CMAKE_CURRENT_LIST_DIR}/win32_services_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_code_page_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_form_view_test.cpp)
target_link_libraries(win32_backend_test PRIVATE torvane_win32 gtest_main torvane_flags)

gtest_add_tests(TARGET win32_backend_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/win32_services_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/win32_code_page_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/win32_form_view_test.cpp
  TEST_PREFIX "win32."
  TEST_LIST _win32_tests)
# They run with the Wine tests; the views show windows and read the screen back, so they
# share the desktop lock of the end-to-end tests.
set_tests_properties(${_win32_tests} PROPERTIES
  LABELS "e2e;win32"
  RESOURCE_LOCK wine_desktop
  ENVIRONMENT TORVANE_WINE_EXCLUSIVE=1
  TIMEOUT 120)

# The ways out of the program, the drive list's labels learnt beside the UI thread, and the
# settings file replaced in place.
add_executable(win32_backend_exit_test
  ${CMAKE_CURRENT_LIST_DIR}/win32_way_out_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_drive_labels_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_replace_file_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/win32_picture_loads_test.cpp)
target_link_libraries(win32_backend_exit_test PRIVATE torvane_win32 gtest_main torvane_flags)
# The process the way-out test starts again and again, beside the test program.
add_executable(win32_exit_child ${CMAKE_CURRENT_LIST_DIR}/win32_exit_child.cpp)
target_link_libraries(win32_exit_child PRIVATE torvane_win32 torvane_flags)
add_dependencies(win32_backend_exit_test win32_exit_child)
gtest_add_tests(TARGET win32_backend_exit_test
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/win32_way_out_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/win32_drive_labels_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/win32_replace_file_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/win32_picture_loads_test.cpp
  TEST_PREFIX "win32."
  TEST_LIST _win32_exit_tests)
set_tests_properties(${_win32_exit_tests} PROPERTIES
  LABELS "e2e;win32"
  RESOURCE_LOCK wine_desktop
  ENVIRONMENT TORVANE_WINE_EXCLUSIVE=1
  TIMEOUT 120)
# Starts 80 processes under Wine, and waits up to 30 s for one that does not end.
set_tests_properties(win32.Win32WayOut.AProcessEndsAtOnceWhateverItsWorkersAreDoing
  PROPERTIES TIMEOUT 400)
