# Finds every third-party package once, so that sub-folders only link targets.
find_package(Threads REQUIRED)
find_package(Boost 1.74 REQUIRED COMPONENTS system)
find_package(OpenCV 4 REQUIRED COMPONENTS core calib3d)

if(VANTORY_BUILD_GUI)
  find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets Network SerialPort Test)
  # VTK's configuration refers to MPI::MPI_C; it must exist before VTK or PCL is found.
  find_package(MPI COMPONENTS C)
  find_package(PCL 1.13 REQUIRED COMPONENTS common io visualization filters)
  include(VantoryPclWithoutQt5)
else()
  find_package(Qt6 6.4 REQUIRED COMPONENTS Core Test)
endif()

if(VANTORY_BUILD_PYTHON)
  # Debian's interpreter, not whichever python3 comes first on the PATH (a pyenv build,
  # for example): the module is built for and tested with the one users have.
  if(NOT DEFINED Python_EXECUTABLE AND EXISTS /usr/bin/python3)
    set(Python_EXECUTABLE /usr/bin/python3)
  endif()
  set(PYBIND11_FINDPYTHON ON)
  find_package(Python 3 COMPONENTS Interpreter Development.Module Development.Embed)
  find_package(pybind11 2.10 CONFIG)
  if(NOT Python_FOUND OR NOT pybind11_FOUND)
    message(WARNING "pybind11-dev or python3-dev missing: the Python module is not built")
    set(VANTORY_BUILD_PYTHON OFF)
  endif()
endif()
