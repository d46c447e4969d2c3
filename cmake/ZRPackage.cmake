# ZRPackage.cmake - releases: the version everywhere it is read, and CPack.
#
# The project version in CMakeLists.txt is the only place the version is
# written. From it come the shared library's soname, zr_moji.pc, the CMake
# package version, `zrmoji --version` (cli/CMakeLists.txt), and here:
#   zr_moji_version.h       installed beside zr_moji.h, for programs that want
#                           to know or require the version at compile time;
#   _zrmoji_version.py      __version__ of the Python module, generated into
#                           the build tree for whoever installs the module;
#   version resources       of ZR_Moji.dll, ZR_Basis.dll and zrmoji.exe.
#
# Packages, after a build (scripts/test-packages.sh and scripts/test-windows.sh
# make and try them):
#   (cd BUILD && cpack -G DEB)   Debian: libzr-moji1, libzr-moji-dev and
#                                zrmoji, cut from the install components lib,
#                                dev and tool (cmake/ZRInstall.cmake)
#   (cd BUILD && cpack -G ZIP)   in the MinGW build: one zip for Windows users
#                                with the DLLs, their import libraries, the
#                                headers and zrmoji.exe
# Configure the build for Debian packages with -DCMAKE_INSTALL_PREFIX=/usr, so
# that the libraries land in the multiarch directory and pkg-config and
# find_package look where Debian's own packages are.

configure_file(${CMAKE_CURRENT_LIST_DIR}/zr_moji_version.h.in
  ${PROJECT_BINARY_DIR}/include/zr_moji_version.h @ONLY)
foreach(_zr_lib zr_moji zr_moji_static)
  target_include_directories(${_zr_lib} PUBLIC $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>)
endforeach()
install(FILES ${PROJECT_BINARY_DIR}/include/zr_moji_version.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

configure_file(${CMAKE_CURRENT_LIST_DIR}/_zrmoji_version.py.in
  ${PROJECT_BINARY_DIR}/bindings/python/_zrmoji_version.py @ONLY)

# On Windows the DLLs and zrmoji.exe carry the version in a version resource,
# what Explorer shows under Properties, Details.
function(zr_version_resource target file description type)
  if(NOT TARGET ${target})
    return()
  endif()
  set(ZR_RC_FILE ${file})
  set(ZR_RC_DESCRIPTION ${description})
  set(ZR_RC_TYPE ${type})
  configure_file(${CMAKE_CURRENT_FUNCTION_LIST_DIR}/zr_version.rc.in
    ${PROJECT_BINARY_DIR}/version/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/version/${target}.rc)
endfunction()
if(WIN32 AND CMAKE_RC_COMPILER)
  zr_version_resource(zr_moji ZR_Moji.dll "Japanese character-code conversions" VFT_DLL)
  zr_version_resource(zr_basis ZR_Basis.dll "Text files and CSV for ZR_Moji" VFT_DLL)
  zr_version_resource(zrmoji zrmoji.exe "zrmoji: Japanese character-code conversions" VFT_APP)
endif()

set(CPACK_PACKAGE_NAME zr-moji)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZR_Moji")
if(NOT CPACK_PACKAGE_CONTACT)
  set(CPACK_PACKAGE_CONTACT "ZR_Moji developers <zr-moji@localhost>")
endif()
# The one-line summary heads every package's description; the lines each
# package adds follow it (CPack indents them).
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Japanese character-code conversions behind a C ABI")
set(CPACK_PACKAGE_CHECKSUM SHA256)
# Users get the programs and libraries without debugging information; the
# build tree keeps it.
set(CPACK_STRIP_FILES ON)

# Three packages in Debian's usual cut. Anything installed without a
# component (documentation added later, say) goes with the development files,
# where Debian keeps manual pages of section 3, rather than being dropped.
set(CPACK_COMPONENTS_ALL lib dev tool Unspecified)
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENT_LIB_GROUP runtime)
set(CPACK_COMPONENT_DEV_GROUP development)
set(CPACK_COMPONENT_UNSPECIFIED_GROUP development)
set(CPACK_COMPONENT_TOOL_GROUP tool)
set(CPACK_COMPONENT_LIB_DISPLAY_NAME "ZR_Moji shared libraries")
set(CPACK_COMPONENT_DEV_DISPLAY_NAME "ZR_Moji development files")
set(CPACK_COMPONENT_TOOL_DISPLAY_NAME "zrmoji command-line tool")

# Debian: one .deb per group. The runtime package is named after the soname,
# so that a later major version can be installed beside this one.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
# Dependencies on libc and libstdc++ come from the binaries themselves; the
# libraries of this build are found in the build tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR} ${PROJECT_BINARY_DIR}/basis
  ${PROJECT_BINARY_DIR}/src/text)
set(_zr_deb_lib libzr-moji${PROJECT_VERSION_MAJOR})
set(_zr_deb_exact "${_zr_deb_lib} (= ${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE})")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${_zr_deb_lib})
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
"ZR_Moji converts between ISO-2022-JP, Shift_JIS (code page 932), EUC-JP,
UTF-16, UTF-8 and UTF-7, with Base64 and Quoted-Printable, Japanese URLs,
EBCDIC and code tables. This package holds the shared libraries libzr_moji
(94 plain C functions) and libzr_basis (text files and CSV, used by the
code-table loader).")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libzr-moji-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${_zr_deb_exact}")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
"Development files of ZR_Moji: the headers, the static library, the CMake
package (find_package(ZRMoji)) and the pkg-config file (zr_moji).")
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME zrmoji)
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION text)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${_zr_deb_exact}")
set(CPACK_DEBIAN_TOOL_DESCRIPTION
"zrmoji converts files between Shift_JIS, ISO-2022-JP, EUC-JP, UTF-8, UTF-7
and UTF-16, decodes and encodes MIME words, Base64, Quoted-Printable and
Japanese URLs, and looks codes up in code tables.")

# The Windows zip: everything in one archive, laid out as installed (bin/ with
# the DLLs beside zrmoji.exe, include/, lib/ with the import libraries).
set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
if(WIN32)
  set(CPACK_PACKAGE_FILE_NAME "ZR_Moji-${PROJECT_VERSION}-win32")
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
endif()

include(CPack)
