# The pieces every library and program of versos shares: how a library is
# declared (position-independent, hidden symbols, an export macro, a version
# and SOVERSION, a pkg-config file, install rules) and how a man page is
# built and installed.
include(GNUInstallDirs)

# versos_library(NAME
#                SOURCES src...
#                DESCRIPTION "one line for pkg-config"
#                [PRIVATE_LINKS target...]    linked in, never seen by a user
#                [PC_REQUIRES_PRIVATE pkg...] [PC_LIBS_PRIVATE flag...])
#
# Declares versos_NAME, known outside as versos::NAME, shared or static as
# BUILD_SHARED_LIBS says, from the public headers include/versos/NAME.h and
# include/versos/NAME/. Only what those headers mark VERSOS_NAME_EXPORT
# (from the generated <versos/NAME/export.h>) is exported from the shared
# library. When the programs are built, also declares versos_NAME_static,
# which they link: the same library itself in a static build, a static copy
# of it in a shared build (never built for a user who wants the shared
# libraries alone).
function(versos_library name)
  cmake_parse_arguments(L "" "DESCRIPTION" "SOURCES;PRIVATE_LINKS;PC_REQUIRES_PRIVATE;PC_LIBS_PRIVATE" ${ARGN})
  set(target versos_${name})
  string(TOUPPER ${name} upper)
  set(generated ${PROJECT_BINARY_DIR}/include)

  add_library(${target} ${L_SOURCES})
  add_library(versos::${name} ALIAS ${target})
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name}
                        VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR})
  # A Windows build is static only: nothing to mark there.
  if(WIN32)
    set(export_attribute "")
  else()
    set(export_attribute "__attribute__((visibility(\"default\")))")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/export.h.in ${generated}/versos/${name}/export.h @ONLY)

  set(copies ${target})
  if(VERSOS_BUILD_PROGRAMS AND BUILD_SHARED_LIBS)
    # The programs stay linked statically: the verse command's start-up cost
    # depends on it, and none of them needs the library installed beside it.
    add_library(${target}_static STATIC ${L_SOURCES})
    list(APPEND copies ${target}_static)
  elseif(VERSOS_BUILD_PROGRAMS)
    add_library(${target}_static ALIAS ${target})
  endif()
  foreach(copy ${copies})
    # Position-independent always, so that a user's shared library or plugin
    # may take in the static library too.
    set_target_properties(${copy} PROPERTIES POSITION_INDEPENDENT_CODE ON
                          CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    target_include_directories(${copy}
      PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include> $<BUILD_INTERFACE:${generated}>
             $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
      PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${copy} PRIVATE $<BUILD_INTERFACE:versos_warnings>)
    foreach(link ${L_PRIVATE_LINKS})
      # Object libraries of the project go into the library itself; anything
      # else (Threads::Threads) stays a dependency of the installed one.
      if(TARGET ${link})
        get_target_property(type ${link} TYPE)
      else()
        set(type "")
      endif()
      if(type STREQUAL "OBJECT_LIBRARY")
        target_link_libraries(${copy} PRIVATE $<BUILD_INTERFACE:${link}>)
      else()
        target_link_libraries(${copy} PRIVATE ${link})
      endif()
    endforeach()
  endforeach()

  if(VERSOS_INSTALL)
    install(TARGETS ${target} EXPORT versosTargets
            ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
            LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} NAMELINK_COMPONENT Development)
    install(FILES ${PROJECT_SOURCE_DIR}/include/versos/${name}.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/versos)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/versos/${name} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/versos)
    install(FILES ${generated}/versos/${name}/export.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/versos/${name})
    versos_pkg_config(${name})
  endif()
endfunction()

# versos-NAME.pc as distributions write them: absolute paths from the
# prefix the tree is installed to (cmake --install --prefix X writes X; a
# DESTDIR is not part of it), so that at /usr pkg-config leaves out the
# system folders. The file is written at install time, when that prefix is
# known; the other lines are settled here.
function(versos_pkg_config name)
  set(pc_name versos-${name})
  set(pc_description "${L_DESCRIPTION}")
  set(pc_lib versos_${name})
  list(JOIN L_PC_REQUIRES_PRIVATE " " pc_requires_private)
  list(JOIN L_PC_LIBS_PRIVATE " " pc_libs_private)
  set(pc_prefix "@VERSOS_PC_PREFIX@")  # filled in at install time
  foreach(dir LIBDIR INCLUDEDIR)
    if(IS_ABSOLUTE ${CMAKE_INSTALL_${dir}})
      set(pc_${dir} ${CMAKE_INSTALL_${dir}})
    else()
      set(pc_${dir} "\${prefix}/${CMAKE_INSTALL_${dir}}")
    endif()
  endforeach()
  set(template ${PROJECT_BINARY_DIR}/pkgconfig/${pc_name}.pc.in)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/versos.pc.in ${template} @ONLY)
  install(CODE "set(VERSOS_PC_TEMPLATE \"${template}\")
                set(VERSOS_PC_DIR \"${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
                include(\"${PROJECT_SOURCE_DIR}/cmake/install_pkg_config.cmake\")")
endfunction()

# versos_man_page(doc/man/PAGE.SECTION.scd): PAGE.SECTION in roff, made by
# scdoc at build time into the build's man/ folder and installed into
# share/man/manSECTION. Without scdoc the pages are left out, with a warning:
# they are not worth failing a build for.
function(versos_man_page source)
  find_program(VERSOS_SCDOC_PROGRAM scdoc)
  if(NOT VERSOS_SCDOC_PROGRAM)
    get_property(warned GLOBAL PROPERTY VERSOS_SCDOC_WARNED)
    if(NOT warned)
      message(WARNING "scdoc not found: the man pages are not built (Debian: apt-get install scdoc)")
      set_property(GLOBAL PROPERTY VERSOS_SCDOC_WARNED TRUE)
    endif()
    return()
  endif()
  get_filename_component(page ${source} NAME_WLE)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
  set(out ${PROJECT_BINARY_DIR}/man/${page})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND sh -c "\"$0\" < \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"" ${VERSOS_SCDOC_PROGRAM} ${PROJECT_SOURCE_DIR}/${source} ${out}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    COMMENT "Man page ${page}"
    VERBATIM)
  string(REPLACE "." "_" page_target versos_man_${page})
  add_custom_target(${page_target} ALL DEPENDS ${out})
  set_property(GLOBAL APPEND PROPERTY VERSOS_MAN_PAGES ${out})
  if(VERSOS_INSTALL)
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  endif()
endfunction()
