# Builds and runs the outside project of consumer/ against versos, in the
# given mode: "subdirectory" (versos from its sources) or "installed" (versos
# installed from BINARY_DIR with cmake --install, then found by find_package).
# Expects SOURCE_DIR, BINARY_DIR, WORK_DIR, MODE, GENERATOR, CXX, LINK_FLAGS.
#
# Every configure runs with CMake's searches for headers and libraries
# pointed into an empty folder, as on a machine without libxcb's headers: a
# consumer of the libraries must not need them. The subdirectory mode shows
# that the searches are hidden indeed: asked for the programs as well, the
# same configure fails for want of libxcb.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/nothing)
set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/util/consumer
    -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}"
    -DCMAKE_FIND_ROOT_PATH=${WORK_DIR}/nothing -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY)
if(MODE STREQUAL "subdirectory")
  execute_process(COMMAND ${configure} -DVERSOS_SOURCE_DIR=${SOURCE_DIR} -DVERSOS_BUILD_PROGRAMS=ON
                  -B ${WORK_DIR}/with-programs RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(status EQUAL 0 OR NOT out MATCHES "libxcb not found")
    message(FATAL_ERROR "libxcb was not hidden: with the programs on, the configure should fail for want of it\n${out}")
  endif()
  run(${configure} -B ${WORK_DIR}/build -DVERSOS_SOURCE_DIR=${SOURCE_DIR})
else()
  run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK_DIR}/prefix)
  run(${configure} -B ${WORK_DIR}/build -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix)
endif()
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build -j2)
run(${WORK_DIR}/build/consumer)
file(REMOVE_RECURSE ${WORK_DIR})
