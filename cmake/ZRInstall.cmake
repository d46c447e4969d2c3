# Install rules: the library (shared and static), ZR_Basis, the header(s),
# zrmoji and its manual page, a CMake package (find_package(ZRMoji) gives
# ZRMoji::zr_moji and ZRMoji::zr_moji_static, ZRMoji::zr_text and
# ZRMoji::zr_text_static) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(_zr_install_targets zr_moji zr_moji_static)
if(TARGET zr_basis)
  list(APPEND _zr_install_targets zr_basis)
endif()
foreach(t zr_text zr_text_static)
  if(TARGET ${t})
    list(APPEND _zr_install_targets ${t})
  endif()
endforeach()

if(NOT WIN32)
  # The installed library finds ZR_Basis beside itself wherever the prefix is.
  set_target_properties(zr_moji PROPERTIES INSTALL_RPATH "$ORIGIN")
  if(TARGET zr_text)
    set_target_properties(zr_text PROPERTIES INSTALL_RPATH "$ORIGIN")
  endif()
endif()

install(TARGETS ${_zr_install_targets} EXPORT ZRMojiTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/zr_moji.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(TARGET zr_text)
  install(FILES ${PROJECT_SOURCE_DIR}/include/zr_text.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()
if(TARGET zr_basis AND EXISTS ${PROJECT_SOURCE_DIR}/basis/include/zr_basis.h)
  install(FILES ${PROJECT_SOURCE_DIR}/basis/include/zr_basis.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()

if(TARGET zrmoji)
  install(TARGETS zrmoji RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/cli/zrmoji.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

set(_zr_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/ZRMoji)
install(EXPORT ZRMojiTargets NAMESPACE ZRMoji:: DESTINATION ${_zr_cmake_dir})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ZRMojiConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/ZRMojiConfig.cmake INSTALL_DESTINATION ${_zr_cmake_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ZRMojiConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ZRMojiConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/ZRMojiConfigVersion.cmake DESTINATION ${_zr_cmake_dir})

# pkg-config: -lzr_moji picks the shared library; with --static the static
# one needs ZR_Basis and the C++ runtime as well.
set(_zr_pc_private "")
if(TARGET zr_basis)
  set(_zr_pc_private "-lzr_basis ")
endif()
string(APPEND _zr_pc_private "-lstdc++ -lm")
# The prefix is found from the .pc file's own place, so that a tree
# installed with "cmake --install --prefix ANYWHERE" works as it lies.
file(RELATIVE_PATH _zr_pc_up "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
set(_zr_pc_prefix "\${pcfiledir}/${_zr_pc_up}")
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
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zr_moji.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
