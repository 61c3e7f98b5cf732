# The SDK as an installed package for integrators:
#   find_package(Vantory CONFIG REQUIRED)  ->  Vantory::mvsdk
#   pkg-config --cflags --libs mvsdk
# The SDK is built as several small static libraries; the installed libmvsdk.a holds the
# objects of all of them, found by walking mvsdk's link libraries, so that a library added
# below mvsdk is shipped without touching this file. Outside libraries the SDK links are
# declared to consumers by _vantory_declare_sdk_dependencies.
include(CMakePackageConfigHelpers)

# Declares the outside libraries the SDK links to consumers: the config file's
# find_dependency() lines and the pkg-config file's link flags.
function(_vantory_declare_sdk_dependencies)
  set(_boost)
  set(_opencv)
  set(_threads OFF)
  set(_libs)
  foreach(_item IN LISTS ARGN)
    if(_item MATCHES "^Boost::(.+)$")
      list(APPEND _boost ${CMAKE_MATCH_1})
      list(APPEND _libs -lboost_${CMAKE_MATCH_1})
    elseif(_item MATCHES "^opencv_(.+)$")
      list(APPEND _opencv ${CMAKE_MATCH_1})
      list(APPEND _libs -l${_item})
    elseif(_item STREQUAL "Threads::Threads")
      set(_threads ON)
      list(APPEND _libs -pthread)
    elseif(_item MATCHES "^(dl|rt|m)$")
      list(APPEND _libs -l${_item})
    else()
      message(FATAL_ERROR "The SDK links '${_item}', which the installed Vantory package does "
        "not declare yet: add it to _vantory_declare_sdk_dependencies in "
        "cmake/VantorySdkPackage.cmake")
    endif()
  endforeach()
  set(_find)
  if(_threads)
    string(APPEND _find "find_dependency(Threads)\n")
  endif()
  if(_boost)
    list(JOIN _boost " " _boost)
    string(APPEND _find "find_dependency(Boost 1.74 COMPONENTS ${_boost})\n")
  endif()
  if(_opencv)
    list(JOIN _opencv " " _opencv)
    string(APPEND _find "find_dependency(OpenCV 4 COMPONENTS ${_opencv})\n")
  endif()
  list(JOIN _libs " " _libs)
  set(VANTORY_SDK_FIND_DEPENDENCIES "${_find}" PARENT_SCOPE)
  set(VANTORY_SDK_PC_LIBS "${_libs}" PARENT_SCOPE)
endfunction()

# Walks the link libraries below `target`: our static libraries go into the installed
# archive, outside libraries into the consumer's link interface.
function(_vantory_walk_sdk target)
  get_property(_seen GLOBAL PROPERTY VANTORY_SDK_WALKED)
  if(target IN_LIST _seen)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY VANTORY_SDK_WALKED ${target})
  get_target_property(_type ${target} TYPE)
  if(_type STREQUAL "STATIC_LIBRARY")
    set_property(GLOBAL APPEND PROPERTY VANTORY_SDK_ARCHIVES ${target})
    get_target_property(_links ${target} LINK_LIBRARIES)
  else()
    get_target_property(_links ${target} INTERFACE_LINK_LIBRARIES)
  endif()
  if(NOT _links)
    return()
  endif()
  foreach(_item IN LISTS _links)
    if(TARGET ${_item})
      get_target_property(_aliased ${_item} ALIASED_TARGET)
      if(_aliased)
        set(_item ${_aliased})
      endif()
      get_target_property(_imported ${_item} IMPORTED)
      if(NOT _imported)
        _vantory_walk_sdk(${_item})
        continue()
      endif()
    endif()
    set_property(GLOBAL APPEND PROPERTY VANTORY_SDK_OUTSIDE ${_item})
  endforeach()
endfunction()

_vantory_walk_sdk(mvsdk)
get_property(_archives GLOBAL PROPERTY VANTORY_SDK_ARCHIVES)
get_property(_outside GLOBAL PROPERTY VANTORY_SDK_OUTSIDE)
list(REMOVE_DUPLICATES _outside)

set(_objects)
foreach(_archive IN LISTS _archives)
  list(APPEND _objects $<TARGET_OBJECTS:${_archive}>)
endforeach()
add_library(mvsdk_dist STATIC ${_objects})
add_dependencies(mvsdk_dist ${_archives})
set_target_properties(mvsdk_dist PROPERTIES
  OUTPUT_NAME mvsdk
  EXPORT_NAME mvsdk
  ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/sdk-dist)
target_include_directories(mvsdk_dist INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/sdk/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_compile_features(mvsdk_dist INTERFACE cxx_std_17)

_vantory_declare_sdk_dependencies(${_outside})
target_link_libraries(mvsdk_dist INTERFACE ${_outside})

install(TARGETS mvsdk_dist EXPORT VantoryTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT sdk)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sdk/include/mvsdk
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT sdk FILES_MATCHING PATTERN "*.h")
# A stripped installation drops the archive's debug sections too, as Debian does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --remove-section=.comment
      --remove-section=.note --enable-deterministic-archives
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:mvsdk_dist>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT sdk)

set(_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Vantory)
install(EXPORT VantoryTargets NAMESPACE Vantory:: DESTINATION ${_cmake_dir} COMPONENT sdk)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/VantoryConfig.cmake.in
  ${CMAKE_BINARY_DIR}/sdk-dist/VantoryConfig.cmake INSTALL_DESTINATION ${_cmake_dir})
# 0.x releases may change the interface between minor versions.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/sdk-dist/VantoryConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/sdk-dist/VantoryConfig.cmake
  ${CMAKE_BINARY_DIR}/sdk-dist/VantoryConfigVersion.cmake
  DESTINATION ${_cmake_dir} COMPONENT sdk)

# The pkg-config file finds its prefix from its own place, so a staged installation works.
file(RELATIVE_PATH VANTORY_PC_PREFIX_FROM_PCDIR
  ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VANTORY_PC_PREFIX_FROM_PCDIR "${VANTORY_PC_PREFIX_FROM_PCDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/mvsdk.pc.in ${CMAKE_BINARY_DIR}/sdk-dist/mvsdk.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/sdk-dist/mvsdk.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT sdk)
