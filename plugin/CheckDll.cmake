# cmake -DOBJDUMP=<objdump> -DPLUGIN=<dll> -P CheckDll.cmake
#
# Run after each Windows plug-in link, the twin of CheckExports.cmake: fails
# unless VSTPluginMain is the DLL's only export, and unless every DLL it
# imports is one that Windows itself ships. A user who lacks a DLL the
# plug-in needs (the C++ runtime, winpthreads) sees only "module not found"
# in the host, so the runtime is linked in and this check proves it. The
# DLL is deleted on failure, so the next build links and checks it again.
cmake_minimum_required(VERSION 3.18)
set(windows_ships KERNEL32.dll USER32.dll GDI32.dll MSIMG32.dll msvcrt.dll ole32.dll WindowsCodecs.dll)

execute_process(COMMAND ${OBJDUMP} -p ${PLUGIN}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot read the tables of ${PLUGIN}: ${error}")
endif()

# Exports: the rows under "[Ordinal/Name Pointer] Table", "[   n] Name".
# The row numbers go before the rows are split: CMake lists do not split
# inside square brackets.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\][^\n]*\n)*)" table "${listing}")
string(REGEX REPLACE "[ \t]*\\[[ 0-9]+\\][ \t]*" "" rows "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "[^\n]+" exports "${rows}")

# Imports: one "DLL Name: X" line per imported DLL. Windows compares DLL
# names without regard to case.
string(REGEX MATCHALL "DLL Name: [^\n]+" imported "${listing}")
string(TOLOWER "${windows_ships}" allowed)
set(foreign "")
foreach(line IN LISTS imported)
  string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST allowed)
    list(APPEND foreign ${dll})
  endif()
endforeach()

if(NOT exports STREQUAL "VSTPluginMain" OR foreign)
  file(REMOVE ${PLUGIN})
  list(JOIN exports " " shown_exports)
  list(JOIN foreign " " shown_foreign)
  message(FATAL_ERROR "${PLUGIN} exports [${shown_exports}] and imports [${shown_foreign}] beyond what "
                      "Windows ships; a plug-in exports VSTPluginMain alone and needs no other DLL")
endif()
