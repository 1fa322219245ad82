# orvelle_add_shell_scripts(): every scripts/*.orv in the calling folder runs through the real
# `orvelle shell` as its own CTest case; its output must match the expected files next to it.
function(orvelle_add_shell_scripts)
  file(GLOB scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/scripts/*.orv)
  foreach(script ${scripts})
    get_filename_component(script_name ${script} NAME_WE)
    add_test(NAME shell_script.${script_name}
      COMMAND ${CMAKE_COMMAND} -DORVELLE=$<TARGET_FILE:orvelle> -DSCRIPT=${script}
              -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/work/${script_name}
              -P ${ORVELLE_SOURCE_ROOT}/tests/shell/run_script.cmake)
  endforeach()
endfunction()
