# Checks that `orvelle typelib` prints every blank-line separated block of EXPECTED as it stands:
# the panel's interfaces with dispatch ids, types and help strings, and its enumerations.
execute_process(COMMAND ${ORVELLE} typelib RESULT_VARIABLE status OUTPUT_VARIABLE printed ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvelle typelib: exit status ${status}\n${err}")
endif()
file(READ ${EXPECTED} expected)
string(REPLACE "\n\n" ";" blocks "${expected}")
foreach(block ${blocks})
  string(FIND "${printed}" "${block}" where)
  if(where EQUAL -1)
    message(FATAL_ERROR "orvelle typelib lacks:\n${block}\n--- it printed ---\n${printed}")
  endif()
endforeach()
