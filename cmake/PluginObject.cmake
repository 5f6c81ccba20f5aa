# velmora_plugin_object(TARGET OUTPUT_NAME <file-base> DIRECTORY <dir>
#                       EXPORT <symbol> MAP <version-script>)
#
# Makes TARGET, a MODULE library, into an object a host loads: <dir>/<file-base>.so
# that exports EXPORT alone (the version script hides the rest, and
# CheckExports.cmake checks it after every link), with the C++ runtime linked
# in and kept private, and nothing left undefined but what the system's
# libraries provide. Hosts load many plug-ins into one process: two that
# shared symbols could bind to each other's code.
function(velmora_plugin_object target)
  cmake_parse_arguments(P "" "OUTPUT_NAME;DIRECTORY;EXPORT;MAP" "" ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    SUFFIX ".so"
    OUTPUT_NAME ${P_OUTPUT_NAME}
    LIBRARY_OUTPUT_DIRECTORY ${P_DIRECTORY}
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${P_MAP})
  target_link_options(${target} PRIVATE
    -Wl,--version-script=${P_MAP} -Wl,--exclude-libs,ALL -static-libstdc++ -static-libgcc)
  # Sanitizer runtimes live in the executable that loads the object.
  if(NOT VELMORA_SANITIZE)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DPLUGIN=$<TARGET_FILE:${target}> -DEXPORT=${P_EXPORT}
            -P ${CMAKE_SOURCE_DIR}/cmake/CheckExports.cmake
    VERBATIM)
endfunction()
