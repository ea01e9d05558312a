# Builds and runs the outside project of project/ against versos, in the
# given mode: "subdirectory" (versos from its sources) or "installed" (versos
# installed from BINARY_DIR with cmake --install, then found by find_package,
# and by pkg-config for a one-file program). The outside project sets no
# build type of its own, and versos must leave it so.
# Expects SOURCE_DIR, BINARY_DIR, WORK_DIR, MODE, GENERATOR, CXX, LINK_FLAGS,
# SHARED (the build's BUILD_SHARED_LIBS), LIBDIR (its CMAKE_INSTALL_LIBDIR).
#
# Every configure runs with CMake's searches for headers and libraries
# pointed into an empty folder, as on a machine without libxcb's headers: a
# consumer of the libraries must not need them. The subdirectory mode shows
# that the searches are hidden indeed: asked for the programs as well, the
# same configure fails for want of libxcb.
include(${CMAKE_CURRENT_LIST_DIR}/../run_or_fail.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/nothing)
set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer/project
    -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}"
    "-DCMAKE_MODULE_LINKER_FLAGS=${LINK_FLAGS}" "-DCMAKE_SHARED_LINKER_FLAGS=${LINK_FLAGS}"
    -DBUILD_SHARED_LIBS=${SHARED}
    -DCMAKE_FIND_ROOT_PATH=${WORK_DIR}/nothing -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY)
set(prefix ${WORK_DIR}/prefix)
if(MODE STREQUAL "subdirectory")
  execute_process(COMMAND ${configure} -DVERSOS_SOURCE_DIR=${SOURCE_DIR} -DVERSOS_BUILD_PROGRAMS=ON
                  -B ${WORK_DIR}/with-programs RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(status EQUAL 0 OR NOT out MATCHES "libxcb not found")
    message(FATAL_ERROR "libxcb was not hidden: with the programs on, the configure should fail for want of it\n${out}")
  endif()
  run(${configure} -B ${WORK_DIR}/build -DVERSOS_SOURCE_DIR=${SOURCE_DIR})
else()
  run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix})
  # A component versos does not have fails the search, by its name.
  execute_process(COMMAND ${configure} -B ${WORK_DIR}/unknown-component -DCMAKE_PREFIX_PATH=${prefix}
                          "-DVERSOS_COMPONENTS=util;nosuch"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(status EQUAL 0 OR NOT out MATCHES "no component named nosuch")
    message(FATAL_ERROR "find_package(versos COMPONENTS util nosuch) did not fail naming nosuch:\n${out}")
  endif()
  run(${configure} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${prefix})
endif()
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build -j2)
run(${WORK_DIR}/build/consumer)

if(MODE STREQUAL "installed")
  # What a Makefile does: the flags of the .pc files, nothing else.
  set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
  set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})
  set(kinds plain)
  if(NOT SHARED)
    list(APPEND kinds --static)
  endif()
  foreach(kind ${kinds})
    set(static_option "")
    if(kind STREQUAL "--static")
      set(static_option --static)
    endif()
    run(pkg-config ${static_option} --cflags --libs versos-util versos-consola versos-generador)
    separate_arguments(flags UNIX_COMMAND "${out}")
    separate_arguments(link_flags UNIX_COMMAND "${LINK_FLAGS}")
    run(${CXX} -std=c++20 ${SOURCE_DIR}/tests/consumer/project/program.cpp ${flags} ${link_flags}
        -o ${WORK_DIR}/program)
    run(${WORK_DIR}/program)
    if(NOT out MATCHES "^ok [0-9]+\\.[0-9]+\\.[0-9]+\n$")
      message(FATAL_ERROR "the pkg-config program printed: ${out}")
    endif()
  endforeach()
endif()
file(REMOVE_RECURSE ${WORK_DIR})
