# Warnings are errors-in-waiting: keep both compilers quiet.
add_library(torvane_flags INTERFACE)
if(MSVC)
  target_compile_options(torvane_flags INTERFACE /W4 /utf-8 /permissive-)
else()
  target_compile_options(torvane_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
endif()

if(TORVANE_SANITIZE)
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(torvane_flags INTERFACE ${_san})
  target_link_options(torvane_flags INTERFACE ${_san})
endif()
