# Runs one shell script through the real `orvelle shell` and compares what it prints.
#   cmake -DORVELLE=... -DSCRIPT=x.orv -DWORK_DIR=... -P run_script.cmake
# Expected results sit next to the script: x.out (standard output, exact), x.err (a prefix of
# standard error; its presence also means the exit status must be 2, otherwise it must be 0).
# Files the script reads may sit in a folder x.files/, copied into its working directory.
get_filename_component(script_dir ${SCRIPT} DIRECTORY)
get_filename_component(script_name ${SCRIPT} NAME_WE)
set(expected_out_file ${script_dir}/${script_name}.out)
set(expected_err_file ${script_dir}/${script_name}.err)

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
if(IS_DIRECTORY ${script_dir}/${script_name}.files)
  file(GLOB inputs ${script_dir}/${script_name}.files/*)
  file(COPY ${inputs} DESTINATION ${WORK_DIR})
endif()
execute_process(COMMAND ${ORVELLE} shell ${SCRIPT}
  WORKING_DIRECTORY ${WORK_DIR}
  OUTPUT_VARIABLE actual_out ERROR_VARIABLE actual_err RESULT_VARIABLE status)

file(READ ${expected_out_file} expected_out)
if(NOT actual_out STREQUAL expected_out)
  file(WRITE ${WORK_DIR}/actual.out "${actual_out}")
  execute_process(COMMAND diff -u ${expected_out_file} ${WORK_DIR}/actual.out OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "${script_name}: standard output differs\n${difference}\nstderr:\n${actual_err}")
endif()

if(EXISTS ${expected_err_file})
  file(READ ${expected_err_file} expected_err)
  string(REGEX REPLACE "\n$" "" expected_err "${expected_err}")
  string(FIND "${actual_err}" "${expected_err}" where)
  if(NOT where EQUAL 0)
    message(FATAL_ERROR "${script_name}: standard error should start with '${expected_err}', got '${actual_err}'")
  endif()
  if(NOT status EQUAL 2)
    message(FATAL_ERROR "${script_name}: exit status ${status}, expected 2")
  endif()
else()
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${script_name}: exit status ${status}, expected 0\nstderr:\n${actual_err}")
  endif()
  if(NOT actual_err STREQUAL "")
    message(FATAL_ERROR "${script_name}: unexpected standard error:\n${actual_err}")
  endif()
endif()
