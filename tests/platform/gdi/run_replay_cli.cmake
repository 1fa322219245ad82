# Runs `orvelle gdi-replay MANIFEST OUT` and checks its exit status, its error output and the
# files it wrote: -DORVELLE, -DMANIFEST, -DOUT, -DEXIT (expected status), -DERROR (a regular
# expression the error output must match, empty for none), -DWRITES (files expected in OUT).
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${ORVELLE}" gdi-replay "${MANIFEST}" "${OUT}"
                RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT status STREQUAL "${EXIT}")
  message(FATAL_ERROR "exit status ${status}, expected ${EXIT}; errors:\n${errors}")
endif()
if(ERROR AND NOT errors MATCHES "${ERROR}")
  message(FATAL_ERROR "error output does not match '${ERROR}':\n${errors}")
endif()
if(NOT ERROR AND NOT errors STREQUAL "")
  message(FATAL_ERROR "unexpected error output:\n${errors}")
endif()
foreach(name ${WRITES})
  if(NOT EXISTS "${OUT}/${name}")
    message(FATAL_ERROR "${OUT}/${name} was not written")
  endif()
endforeach()
if(NOT WRITES AND EXISTS "${OUT}")
  message(FATAL_ERROR "${OUT} was created for a refused manifest")
endif()
