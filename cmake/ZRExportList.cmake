# ZRExportList.cmake - a shared library's exports from its .def file, the one
# list of its names: on Windows the .def file itself (undecorated __stdcall
# names), elsewhere an ELF version script written from it, so that both hosts
# export those names and nothing else.
#   zr_export_list(TARGET DEF_FILE VERSION_NODE)

function(zr_export_list target def node)
  if(WIN32)
    target_sources(${target} PRIVATE ${def})
    if(MINGW)
      target_link_options(${target} PRIVATE -Wl,--kill-at)
    endif()
    return()
  endif()
  file(STRINGS ${def} _lines REGEX "^[ \t]+ZR_")
  set(_vs "${node} {\n  global:\n")
  foreach(line ${_lines})
    string(STRIP "${line}" name)
    string(APPEND _vs "    ${name};\n")
  endforeach()
  string(APPEND _vs "  local: *;\n};\n")
  set(_map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  file(WRITE ${_map} "${_vs}")
  # Re-run the configure step when the list changes, and relink.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${def})
  target_link_options(${target} PRIVATE -Wl,--version-script=${_map} ${ZR_NO_UNDEFINED})
endfunction()
