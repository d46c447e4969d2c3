# Install rules: the library (shared and static), ZR_Basis, the header(s),
# zrmoji and its manual page, a CMake package (find_package(ZRMoji) gives
# ZRMoji::zr_moji and ZRMoji::zr_moji_static, ZRMoji::zr_text and
# ZRMoji::zr_text_static) and a pkg-config file.
# Each file belongs to one component, the unit the packages are cut from
# (cmake/ZRPackage.cmake): "lib" what a program needs at run time, "dev" what
# building one needs, "tool" the zrmoji program.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(_zr_install_targets zr_moji zr_moji_static zr_basis zr_text)
# The static text module is built on Linux only (src/text/CMakeLists.txt).
if(TARGET zr_text_static)
  list(APPEND _zr_install_targets zr_text_static)
endif()

if(NOT WIN32)
  # The installed library finds ZR_Basis beside itself wherever the prefix is.
  set_target_properties(zr_moji PROPERTIES INSTALL_RPATH "$ORIGIN")
  set_target_properties(zr_text PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()

install(TARGETS ${_zr_install_targets} EXPORT ZRMojiTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT lib
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT lib NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/zr_moji.h ${PROJECT_SOURCE_DIR}/include/zr_text.h
  ${PROJECT_SOURCE_DIR}/basis/include/zr_basis.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT dev)

if(TARGET zrmoji)
  install(TARGETS zrmoji RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
  install(FILES ${PROJECT_SOURCE_DIR}/cli/zrmoji.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    COMPONENT tool)
endif()

set(_zr_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ZRMoji)
install(EXPORT ZRMojiTargets NAMESPACE ZRMoji:: DESTINATION ${_zr_cmake_dir} COMPONENT dev)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ZRMojiConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/ZRMojiConfig.cmake INSTALL_DESTINATION ${_zr_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ZRMojiConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ZRMojiConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/ZRMojiConfigVersion.cmake DESTINATION ${_zr_cmake_dir}
  COMPONENT dev)

# pkg-config: -lzr_moji picks the shared library; with --static the static
# one needs ZR_Basis and the C++ runtime as well.
set(_zr_pc_private "-lzr_basis -lstdc++ -lm")
# The prefix is found from the .pc file's own place, so that a tree
# installed with "cmake --install --prefix ANYWHERE" works as it lies.
file(RELATIVE_PATH _zr_pc_up "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
set(_zr_pc_prefix "\${pcfiledir}/${_zr_pc_up}")
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  # The system prefix (the Debian packages) never moves; named outright,
  # its directories are the ones pkg-config leaves out of the flags.
  set(_zr_pc_prefix /usr)
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_LIBDIR}")
  set(_zr_pc_prefix "${CMAKE_INSTALL_PREFIX}")
  set(_zr_pc_libdir "${CMAKE_INSTALL_LIBDIR}")
else()
  set(_zr_pc_libdir "\${prefix}/${CMAKE_INSTALL_LIBDIR}")
endif()
if(IS_ABSOLUTE "${CMAKE_INSTALL_INCLUDEDIR}")
  set(_zr_pc_includedir "${CMAKE_INSTALL_INCLUDEDIR}")
else()
  set(_zr_pc_includedir "\${prefix}/${CMAKE_INSTALL_INCLUDEDIR}")
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/zr_moji.pc.in ${CMAKE_CURRENT_BINARY_DIR}/zr_moji.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zr_moji.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig
  COMPONENT dev)
