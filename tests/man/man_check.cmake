# Renders every man page with groff, warnings on, and fails on any warning;
# checks that every subcommand `ficheros --help` lists is a bold term of
# ficheros(1). Expects MAN_DIR, PAGES, FICHEROS.
set(wrong "")
foreach(page ${PAGES})
  execute_process(COMMAND groff -man -ww -z ${MAN_DIR}/${page}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "")
    string(APPEND wrong "\n  ${page}: status ${status}\n${out}")
  endif()
endforeach()

execute_process(COMMAND ${FICHEROS} --help RESULT_VARIABLE status OUTPUT_VARIABLE help)
string(REGEX MATCHALL "\n  [a-z0-9]+ " listed "${help}")
list(LENGTH listed count)
if(NOT status EQUAL 0 OR count LESS 10)
  string(APPEND wrong "\n  ficheros --help (status ${status}) lists ${count} subcommands")
endif()
file(READ ${MAN_DIR}/ficheros.1 page)
foreach(entry ${listed})
  string(STRIP "${entry}" name)
  string(FIND "${page}" "\\fB${name}\\fR" at)
  if(at EQUAL -1)
    string(APPEND wrong "\n  ficheros(1) does not describe the subcommand ${name}")
  endif()
endforeach()

if(wrong)
  message(FATAL_ERROR "The man pages are not right:${wrong}")
endif()
