# ZRStdcallImplib.cmake - a MinGW import library that works with the public headers.
#
# The DLLs export undecorated __stdcall names (--kill-at), but a caller
# compiled against the header refers to the decorated _Name@N. The import
# library that ld writes with --kill-at loses the @N on both sides, so callers
# cannot link. dlltool -k keeps the decorated symbol and imports by the
# undecorated name; it needs a .def with the decorations, which this derives
# from the header's declarations (on i686 each pointer or 32-bit argument
# takes 4 bytes of the stack, a 64-bit one 8).
#
# In a CMakeLists.txt, after the DLL target:
#   include(cmake/ZRStdcallImplib.cmake)
#   zr_stdcall_import_library(<target> <header> [<calling-convention macro>])
# The macro is the one the header writes between result type and name
# (default ZR_CALL). As a script, for a DLL built elsewhere:
#   cmake -DHEADER=h -DCALL=ZR_CALL -DDLL=x.dll -DIMPLIB=libx.dll.a -DDLLTOOL=dlltool -P ZRStdcallImplib.cmake

# The .def text for the exports that `header` declares with `call_macro`.
function(zr_stdcall_def header call_macro dll_file out_var)
  file(READ ${header} text)
  # Drop comments so that a parenthesis in one cannot end a declaration.
  string(REGEX REPLACE "/\\*([^*]|\\*+[^*/])*\\*+/" "" text "${text}")
  string(REGEX MATCHALL "${call_macro}[ \t\r\n]+[A-Za-z_][A-Za-z0-9_]*[ \t\r\n]*\\([^)]*\\)" decls "${text}")
  set(def "LIBRARY ${dll_file}\nEXPORTS\n")
  foreach(decl IN LISTS decls)
    string(REGEX REPLACE "^${call_macro}[ \t\r\n]+([A-Za-z0-9_]+).*" "\\1" name "${decl}")
    string(REGEX REPLACE "^[^(]*\\(([^)]*)\\)$" "\\1" params "${decl}")
    string(STRIP "${params}" params)
    set(bytes 0)
    if(NOT params STREQUAL "" AND NOT params STREQUAL "void")
      string(REPLACE "," ";" plist "${params}")
      foreach(p IN LISTS plist)
        if(NOT p MATCHES "\\*" AND p MATCHES "int64_t|long long|double")
          math(EXPR bytes "${bytes} + 8")
        else()
          math(EXPR bytes "${bytes} + 4")
        endif()
      endforeach()
    endif()
    string(APPEND def "    ${name}@${bytes}\n")
  endforeach()
  set(${out_var} "${def}" PARENT_SCOPE)
endfunction()

function(zr_stdcall_import_library target header)
  if(NOT MINGW OR NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  set(call_macro ZR_CALL)
  if(ARGC GREATER 2)
    set(call_macro ${ARGV2})
  endif()
  if(NOT CMAKE_DLLTOOL)
    find_program(CMAKE_DLLTOOL NAMES i686-w64-mingw32-dlltool dlltool REQUIRED)
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${header})
  get_target_property(dll_name ${target} OUTPUT_NAME)
  zr_stdcall_def(${header} ${call_macro} ${dll_name}.dll def)
  set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${dll_name}_stdcall.def)
  file(GENERATE OUTPUT ${def_file} CONTENT "${def}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} --kill-at --input-def ${def_file} --dllname $<TARGET_FILE_NAME:${target}>
            --output-lib $<TARGET_LINKER_FILE:${target}>
    COMMENT "Import library for ${dll_name}.dll with decorated __stdcall symbols"
    VERBATIM)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  get_filename_component(_dll_file ${DLL} NAME)
  zr_stdcall_def(${HEADER} ${CALL} ${_dll_file} _def)
  file(WRITE ${IMPLIB}.def "${_def}")
  execute_process(COMMAND ${DLLTOOL} --kill-at --input-def ${IMPLIB}.def --dllname ${_dll_file}
                          --output-lib ${IMPLIB}
                  RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "dlltool failed for ${DLL}")
  endif()
endif()
