# Without scdoc the man pages are left out with a warning that names it; the
# configure, build and install still succeed. Expects SOURCE_DIR, WORK_DIR,
# GENERATOR and MAKE_PROGRAM (the build's own, which the search for scdoc
# turned off would not find).
include(${CMAKE_CURRENT_LIST_DIR}/../run_or_fail.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/no_scdoc -B ${WORK_DIR}/build -DVERSOS_SOURCE_DIR=${SOURCE_DIR}
    -G ${GENERATOR} -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM}
    -DCMAKE_FIND_USE_CMAKE_SYSTEM_PATH=OFF -DCMAKE_FIND_USE_SYSTEM_ENVIRONMENT_PATH=OFF)
if(NOT out MATCHES "CMake Warning[^\n]*\n *scdoc not found: the man pages are not built")
  message(FATAL_ERROR "no warning about scdoc:\n${out}")
endif()
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${CMAKE_COMMAND} --install ${WORK_DIR}/build --prefix ${WORK_DIR}/prefix)
if(EXISTS ${WORK_DIR}/prefix/share/man)
  message(FATAL_ERROR "man pages were installed without scdoc")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
