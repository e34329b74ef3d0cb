# Fails when the program PROGRAM loads Qt's GUI or Widgets library, directly or through another
# library: the command line has to run where there is no display and no window-system plugin.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM linux+elf)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES ${PROGRAM}
     RESOLVED_DEPENDENCIES_VAR resolved UNRESOLVED_DEPENDENCIES_VAR unresolved)
foreach(library IN LISTS resolved unresolved)
  if(library MATCHES "libQt6(Gui|Widgets|OpenGL)")
    message(FATAL_ERROR "${PROGRAM} loads ${library}")
  endif()
endforeach()
message(STATUS "${PROGRAM} loads no window library")
