# Run by cmake --install: writes the pkg-config file VERSOS_PC_TEMPLATE
# (without its .in) into VERSOS_PC_DIR, relative to the install prefix unless
# absolute, with the prefix of this install in it. DESTDIR, when set, is
# where the tree lands, not part of what the file says.
get_filename_component(versos_pc_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
set(versos_pc_dir "${VERSOS_PC_DIR}")
if(NOT IS_ABSOLUTE "${versos_pc_dir}")
  set(versos_pc_dir "${versos_pc_prefix}/${versos_pc_dir}")
endif()
get_filename_component(versos_pc_file "${VERSOS_PC_TEMPLATE}" NAME_WLE)
set(versos_pc_file "$ENV{DESTDIR}${versos_pc_dir}/${versos_pc_file}")
message(STATUS "Installing: ${versos_pc_file}")
set(VERSOS_PC_PREFIX "${versos_pc_prefix}")
configure_file("${VERSOS_PC_TEMPLATE}" "${versos_pc_file}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${versos_pc_file}")
