# cmake -DNM=<nm> -DPLUGIN=<object> [-DEXPORT=<symbol>] -P CheckExports.cmake
#
# Run after each plug-in link: fails unless EXPORT (VSTPluginMain unless
# given) is the only dynamic symbol the object defines. A second export could
# bind to another plug-in's code in a host that loads both. The object is
# deleted on failure, so the next build links (and checks) it again instead
# of keeping a bad file.
if(NOT EXPORT)
  set(EXPORT VSTPluginMain)
endif()
execute_process(COMMAND ${NM} -D --defined-only ${PLUGIN}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cannot list the symbols of ${PLUGIN}: ${error}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(names "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^.*[ \t]" "" name "${line}")
  list(APPEND names ${name})
endforeach()
if(NOT names STREQUAL EXPORT)
  file(REMOVE ${PLUGIN})
  list(JOIN names " " shown)
  message(FATAL_ERROR "${PLUGIN} exports [${shown}]; it must export ${EXPORT} alone")
endif()
