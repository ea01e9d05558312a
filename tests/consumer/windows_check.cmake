# The Windows build installed: the same layout as on Linux (bin/ with the
# programs, include/, lib/ with the static libraries, lib/cmake/versos,
# lib/pkgconfig), and an outside project cross-built against it with
# find_package links and runs (under EMULATOR).
# Expects SOURCE_DIR, BINARY_DIR, WORK_DIR, TOOLCHAIN, EMULATOR, GENERATOR.
include(${CMAKE_CURRENT_LIST_DIR}/../run_or_fail.cmake)

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${prefix})
set(missing "")
foreach(file bin/ficheros.exe bin/versos-lote.exe include/versos/util.h include/versos/generador.h
        include/versos/version.h include/versos/util/export.h lib/libversos_util.a lib/libversos_generador.a
        lib/cmake/versos/versosConfig.cmake lib/cmake/versos/versosTargets.cmake
        lib/pkgconfig/versos-util.pc lib/pkgconfig/versos-generador.pc)
  if(NOT EXISTS ${prefix}/${file})
    string(APPEND missing " ${file}")
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "The installed tree lacks:${missing}")
endif()

run(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/consumer/windows_project -B ${WORK_DIR}/build -G ${GENERATOR}
    -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -DCMAKE_FIND_ROOT_PATH=${prefix})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${EMULATOR} ${WORK_DIR}/build/consumer.exe)
if(NOT out MATCHES "^ok ")
  message(FATAL_ERROR "The consumer said: ${out}")
endif()
