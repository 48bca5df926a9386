# Puts each file of SOURCE_DIR into PROGRAM_DIR where no file of that name stands there.
# The copies in the program folder belong to the user (the tool saves the project into
# its copy at once), so one that is there, changed or not, is never replaced.
#
#   cmake -DSOURCE_DIR=<shipped files> -DPROGRAM_DIR=<program folder> -P PlaceMissingFiles.cmake
file(MAKE_DIRECTORY "${PROGRAM_DIR}")
file(GLOB _shipped LIST_DIRECTORIES false "${SOURCE_DIR}/*")
foreach(_file IN LISTS _shipped)
  get_filename_component(_name "${_file}" NAME)
  set(_placed "${PROGRAM_DIR}/${_name}")
  # A link counts as there even when it leads nowhere: copying would write through it.
  if(NOT EXISTS "${_placed}" AND NOT IS_SYMLINK "${_placed}")
    file(COPY_FILE "${_file}" "${_placed}")
    message(STATUS "Placed the shipped ${_name} in ${PROGRAM_DIR}")
  endif()
endforeach()
