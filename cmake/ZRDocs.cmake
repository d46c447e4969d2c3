# The reference built from include/zr_moji.h and include/zr_text.h with Doxygen: HTML, and
# section-3 manual pages (a page per family, a page per export made from it
# by docs/man_pages.py, so that "man 3 ZR_SJisToUnicode" shows that export,
# and for each constant a page that leads to its family's). Built with the
# rest when ZR_BUILD_DOCS is on, which it is when Doxygen is found; installed
# under the documentation and manual directories.
include(GNUInstallDirs)
find_package(Doxygen QUIET)
option(ZR_BUILD_DOCS "Build the HTML and manual-page reference with Doxygen" ${DOXYGEN_FOUND})

if(ZR_BUILD_DOCS)
  if(NOT DOXYGEN_FOUND)
    message(FATAL_ERROR "ZR_BUILD_DOCS needs doxygen (Debian: apt-get install doxygen)")
  endif()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  set(ZR_DOCS_OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/docs)
  configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${CMAKE_CURRENT_BINARY_DIR}/Doxyfile @ONLY)
  set(_zr_docs_stamp ${ZR_DOCS_OUTPUT}/reference.stamp)
  # A fresh output directory each time, so that no page of a removed export
  # outlives it.
  add_custom_command(OUTPUT ${_zr_docs_stamp}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZR_DOCS_OUTPUT}/html ${ZR_DOCS_OUTPUT}/man
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZR_DOCS_OUTPUT}
    COMMAND Doxygen::doxygen ${CMAKE_CURRENT_BINARY_DIR}/Doxyfile
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/docs/man_pages.py ${ZR_DOCS_OUTPUT}/man/man3
    COMMAND ${CMAKE_COMMAND} -E touch ${_zr_docs_stamp}
    DEPENDS ${PROJECT_SOURCE_DIR}/include/zr_moji.h ${PROJECT_SOURCE_DIR}/include/zr_text.h
            ${PROJECT_SOURCE_DIR}/docs/Doxyfile.in
            ${PROJECT_SOURCE_DIR}/docs/mainpage.md
            ${PROJECT_SOURCE_DIR}/docs/man_pages.py
    COMMENT "Building the reference with Doxygen"
    VERBATIM)
  add_custom_target(zr_docs ALL DEPENDS ${_zr_docs_stamp})

  install(DIRECTORY ${ZR_DOCS_OUTPUT}/html/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/html)
  install(DIRECTORY ${ZR_DOCS_OUTPUT}/man/man3/ DESTINATION ${CMAKE_INSTALL_MANDIR}/man3)

  if(ZR_BUILD_TESTS)
    add_test(NAME Docs.ReferenceBuiltForEveryExport
      COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/header/check_reference.py
              ${ZR_DOCS_OUTPUT} ${PROJECT_SOURCE_DIR}/exports/zr_moji.def
              ${PROJECT_SOURCE_DIR}/include/zr_text.h)
  endif()
endif()
