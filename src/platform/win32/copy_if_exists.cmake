# Copies SOURCE to the folder DESTINATION when SOURCE exists; does nothing otherwise.
#   cmake -DSOURCE=<file> -DDESTINATION=<folder> -P copy_if_exists.cmake
if(EXISTS "${SOURCE}")
  file(COPY "${SOURCE}" DESTINATION "${DESTINATION}")
endif()
