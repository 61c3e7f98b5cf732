# Install layout and the one-line install helpers that every CMakeLists uses.
#
#   <prefix>/bin                       programs
#   <prefix>/<libdir>/vantory          run-time loaded filter libraries
#   <prefix>/share/vantory             shipped data files (defaults, never written)
#   <prefix>/share/man/man1            man pages made from each program's --help
#
# Programs find the filter libraries beside themselves (build tree), then in the
# installed filter folder (see VantoryBuildInfo.h), then on the library path.
include(GNUInstallDirs)

set(VANTORY_FILTER_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/vantory)
set(VANTORY_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/vantory)
set(VANTORY_FULL_FILTER_DIR ${CMAKE_INSTALL_FULL_LIBDIR}/vantory)
set(VANTORY_FULL_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/vantory)
file(RELATIVE_PATH VANTORY_FILTER_DIR_FROM_PROGRAMS ${CMAKE_INSTALL_FULL_BINDIR} ${VANTORY_FULL_FILTER_DIR})
file(RELATIVE_PATH VANTORY_DATA_DIR_FROM_PROGRAMS ${CMAKE_INSTALL_FULL_BINDIR} ${VANTORY_FULL_DATA_DIR})

# Version and install folders as constants for the code (header VantoryBuildInfo.h).
configure_file(${CMAKE_CURRENT_LIST_DIR}/VantoryBuildInfo.h.in
  ${CMAKE_BINARY_DIR}/generated/VantoryBuildInfo.h @ONLY)
add_library(vantory_buildinfo INTERFACE)
add_library(vantory::buildinfo ALIAS vantory_buildinfo)
target_include_directories(vantory_buildinfo INTERFACE $<BUILD_INTERFACE:${CMAKE_BINARY_DIR}/generated>)

# Man pages are written by help2man from each program's --help and --version, at build
# time, with no display: a program that needed one for --help would fail the build here.
find_program(HELP2MAN_EXECUTABLE help2man)
find_program(GZIP_EXECUTABLE gzip)
if(HELP2MAN_EXECUTABLE AND GZIP_EXECUTABLE AND NOT CMAKE_CROSSCOMPILING)
  set(_vantory_man_default ON)
else()
  set(_vantory_man_default OFF)
endif()
option(VANTORY_MAN_PAGES "Write the programs' man pages with help2man" ${_vantory_man_default})
if(VANTORY_MAN_PAGES AND NOT HELP2MAN_EXECUTABLE)
  message(FATAL_ERROR "VANTORY_MAN_PAGES needs help2man (scripts/setup.sh installs it)")
endif()
if(NOT VANTORY_MAN_PAGES)
  message(STATUS "Man pages: off (help2man not found)")
endif()

# A stripped installation (the package) also drops the sections Debian's own strip drops.
function(_vantory_strip_more target destination)
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\"
        COMMAND_ERROR_IS_FATAL ANY)
    endif()" COMPONENT programs)
endfunction()

# vantory_install_program(target "what the program is, for the man page's NAME line")
function(vantory_install_program target description)
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programs)
  # tests/packaging checks --help and --version of every program listed here.
  set_property(GLOBAL APPEND PROPERTY VANTORY_INSTALLED_PROGRAMS ${target})
  _vantory_strip_more(${target} ${CMAKE_INSTALL_BINDIR})
  if(NOT VANTORY_MAN_PAGES)
    return()
  endif()
  set(_page ${CMAKE_BINARY_DIR}/man/${target}.1)
  add_custom_command(OUTPUT ${_page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
            ${HELP2MAN_EXECUTABLE} --no-info --section=1 --name=${description}
            --output=${_page} $<TARGET_FILE:${target}>
    COMMAND ${GZIP_EXECUTABLE} -9nf ${_page}
    DEPENDS ${target}
    COMMENT "Writing the man page of ${target}"
    VERBATIM)
  add_custom_target(${target}_manpage ALL DEPENDS ${_page}.gz)
  install(FILES ${_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programs)
endfunction()

# vantory_install_filter_library(target): a library the programs load at run time.
function(vantory_install_filter_library target)
  install(TARGETS ${target} LIBRARY DESTINATION ${VANTORY_FILTER_INSTALL_DIR} COMPONENT programs)
  _vantory_strip_more(${target} ${VANTORY_FILTER_INSTALL_DIR})
endfunction()

# vantory_install_data(file ...): read-only data the programs ship with.
function(vantory_install_data)
  install(FILES ${ARGN} DESTINATION ${VANTORY_DATA_INSTALL_DIR} COMPONENT programs)
endfunction()

# vantory_install_python_module(target): a compiled Python module, where Debian's python3
# looks for modules of packaged software. It finds the filter libraries the way every
# program does (relative to /usr/bin, the folder of python3).
function(vantory_install_python_module target)
  install(TARGETS ${target} LIBRARY DESTINATION lib/python3/dist-packages COMPONENT programs)
  _vantory_strip_more(${target} lib/python3/dist-packages)
endfunction()
