# Installation as a Debian command-line tool: the programs, their manual pages (help2man, from
# each program's --help and --version plus man/<program>.h2m), the documentation and examples,
# and a .deb made by CPack.
#
#   cmake --install build --prefix /usr [DESTDIR=...]     cpack -G DEB (in the build folder)
#
# The rules are added after the whole top-level directory has been read (cmake_language DEFER),
# so a program is handled whenever its target exists, wherever its add_subdirectory stands.

include(GNUInstallDirs)

option(VARNO96_MANPAGES "Generate the manual pages with help2man" ON)
set(VARNO96_MAINTAINER "varno96 maintainers <varno96@example.org>"
    CACHE STRING "Maintainer field of the Debian package: name <e-mail>")
# The browser page is made by a separate Emscripten build (build-web/varno96.html); naming it
# here ships it with the documentation and in the package.
set(VARNO96_PAGE "" CACHE FILEPATH "varno96.html made by the Emscripten build, to install")

# Programs in the order of their manual pages; each has man/<program>.h2m.
set(VARNO96_PROGRAMS varno96 varno96-batch varno96-plot)

function(varno96_manual_page program)
  set(include_file ${PROJECT_SOURCE_DIR}/man/${program}.h2m)
  set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
  file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/man)
  add_custom_command(
    OUTPUT ${page} ${page}.gz
    # Dated with the release, not the build, so that every build makes the same page.
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VARNO96_RELEASE_EPOCH}
            ${VARNO96_HELP2MAN} --no-info --include=${include_file} --output=${page}
            $<TARGET_FILE:${program}>
    # Debian installs manual pages compressed, without a name or time stamp in the header.
    COMMAND gzip -9nkf ${page}
    DEPENDS ${program} ${include_file}
    COMMENT "Manual page ${program}(1)"
    VERBATIM)
  set_property(GLOBAL APPEND PROPERTY VARNO96_MANUAL_PAGES ${page} ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

function(varno96_install_rules)
  if(VARNO96_MANPAGES)
    find_program(VARNO96_HELP2MAN help2man)
    if(NOT VARNO96_HELP2MAN)
      message(FATAL_ERROR "help2man makes the manual pages: install it (apt-get install help2man) "
                          "or configure with -DVARNO96_MANPAGES=OFF")
    endif()
  endif()

  set(installed)
  foreach(program IN LISTS VARNO96_PROGRAMS)
    if(NOT TARGET ${program})
      continue()
    endif()
    list(APPEND installed ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(VARNO96_MANPAGES)
      varno96_manual_page(${program})
    endif()
  endforeach()
  if(VARNO96_MANPAGES)
    get_property(pages GLOBAL PROPERTY VARNO96_MANUAL_PAGES)
    add_custom_target(manpages ALL DEPENDS ${pages})
  endif()

  install(FILES README.md CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  # The example P-T diagram, made with varno96-plot and kept with the sources; under docs/
  # as in the source tree, where the README links to it.
  install(FILES docs/example-run.svg DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs OPTIONAL)
  if(VARNO96_PAGE)
    if(NOT EXISTS "${VARNO96_PAGE}")
      message(FATAL_ERROR "VARNO96_PAGE names ${VARNO96_PAGE}, which does not exist: build the "
                          "page first (emcmake cmake -S . -B build-web ...)")
    endif()
    install(FILES "${VARNO96_PAGE}" DESTINATION ${CMAKE_INSTALL_DOCDIR})
  endif()

  varno96_package("${installed}")
endfunction()

# The Debian package: `cpack -G DEB` in the build folder.
macro(varno96_package installed)
  set(CPACK_PACKAGE_NAME varno96)
  set(CPACK_PACKAGE_VENDOR "varno96 maintainers")
  set(CPACK_PACKAGE_CONTACT "${VARNO96_MAINTAINER}")
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
      "eclogite geobarometry from garnet, clinopyroxene and phengite analyses")
  # Debian policy: long-description lines under 80 characters; an empty line is a paragraph.
  set(CPACK_PACKAGE_DESCRIPTION
      "From electron-microprobe oxide analyses of the garnet, clinopyroxene and
phengite of an eclogite, varno96 recalculates the mineral formulae (ferric
iron by charge balance), derives the activities of pyrope, grossular,
diopside and the phengite components with a choice of seven garnet mixing
models, and gives the pressure of
pyrope + 2 grossular + 3 celadonite = 6 diopside + 3 muscovite
from an empirical barometer, at a chosen temperature or at the Powell (1985)
garnet-clinopyroxene temperature, with optional Monte-Carlo propagation of
the analytical and mixing-model uncertainty.

The interactive program varno96 asks for one sample at the console;
varno96-batch computes whole tables, as microprobes and spreadsheets export
them, into a CSV table; varno96-plot draws the Monte-Carlo
temperature-pressure pairs of a run as a P-T diagram.")
  set(CPACK_GENERATOR DEB)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # Library packages (libc6, libstdc++6, libgcc-s1, libplplot17 ...) from the linked programs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The Python module (python/) needs the interpreter it was built for, and pandas.
  get_property(python_depends GLOBAL PROPERTY VARNO96_PYTHON_DEPENDS)
  if(python_depends)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "${python_depends}")
    string(APPEND CPACK_PACKAGE_DESCRIPTION "

The Python module varno96 does the same for pandas DataFrames.")
  endif()
  if("varno96-plot" IN_LIST installed)
    # PLplot loads its output drivers at run time: svg, pdf and ps come with libplplot17, the
    # better PDF and PostScript drivers with plplot-driver-cairo.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "plplot-driver-cairo")
  endif()
  set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build[^/]*/")
  include(CPack)
endmacro()

cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL varno96_install_rules)
