# velmora_native_tool(NAME <program> SOURCE_DIR <dir> [COMPILER <c++>])
#
# Builds <program>, a tool that must run during the build, for the machine
# that runs the build, from the small CMake project in <dir>: the 32-bit
# and the cross builds make programs this machine may not run. Sets
# <program>_PATH to the program and <program>_TARGET to the target to
# depend on. COMPILER, when given, is the compiler the tool is built with
# (the 32-bit build's own g++, which builds for this machine without -m32).
function(velmora_native_tool)
  cmake_parse_arguments(T "" "NAME;SOURCE_DIR;COMPILER" "" ${ARGN})
  include(ExternalProject)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/native)
  set(compiler "")
  if(T_COMPILER)
    set(compiler -DCMAKE_CXX_COMPILER=${T_COMPILER})
  endif()
  ExternalProject_Add(${T_NAME}_native
    SOURCE_DIR ${T_SOURCE_DIR}
    BINARY_DIR ${dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release ${compiler}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${dir}/${T_NAME})
  set(${T_NAME}_PATH ${dir}/${T_NAME} PARENT_SCOPE)
  set(${T_NAME}_TARGET ${T_NAME}_native PARENT_SCOPE)
endfunction()
