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
