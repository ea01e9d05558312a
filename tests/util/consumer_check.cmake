# Builds and runs the outside project of consumer/ against versos, in the
# given mode: "subdirectory" (versos from its sources) or "installed" (versos
# installed from BINARY_DIR with cmake --install, then found by find_package).
# Expects SOURCE_DIR, BINARY_DIR, WORK_DIR, MODE, GENERATOR, CXX, LINK_FLAGS.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "failed: ${ARGN}\n${out}")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(configure ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/util/consumer -B ${WORK_DIR}/build
    -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
if(MODE STREQUAL "subdirectory")
  run(${configure} -DVERSOS_SOURCE_DIR=${SOURCE_DIR})
else()
  run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${WORK_DIR}/prefix)
  run(${configure} -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix)
endif()
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build -j2)
run(${WORK_DIR}/build/consumer)
file(REMOVE_RECURSE ${WORK_DIR})
