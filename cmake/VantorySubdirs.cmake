# Adds every listed sub-folder that has a CMakeLists.txt, so that parts of the tree
# can be built up one folder at a time.
function(vantory_add_subdirs)
  foreach(_dir IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${_dir}/CMakeLists.txt)
      add_subdirectory(${_dir})
    endif()
  endforeach()
endfunction()
