# Warnings for our own targets only; third-party headers are included as system headers.
add_library(vantory_warnings INTERFACE)
add_library(vantory::warnings ALIAS vantory_warnings)
target_compile_options(vantory_warnings INTERFACE -Wall -Wextra)
