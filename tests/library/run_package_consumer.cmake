# Installs the build into a fresh prefix and uses it as a consumer would: the CLI from the
# prefix's bin/, and a program outside the project configured with find_package alone
# (CMAKE_PREFIX_PATH), built and run against the installed library.
include(${CMAKE_CURRENT_LIST_DIR}/../support/fresh_prefix.cmake)

function(expect_output what regex)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err
                  WORKING_DIRECTORY ${WORK_DIR})
  if(NOT status EQUAL 0 OR NOT out MATCHES "${regex}")
    message(FATAL_ERROR "${what}: status ${status}, output:\n${out}${err}")
  endif()
endfunction()
expect_output("orvelle --version" "^orvelle ${VERSION}\n$" ${prefix}/bin/orvelle --version)
expect_output("orvelle -h" "usage: orvelle COMMAND" ${prefix}/bin/orvelle -h)
expect_output("orvelle gdi-sample --help" "usage: orvelle gdi-sample OUT.png" ${prefix}/bin/orvelle gdi-sample --help)
if(EXISTS ${WORK_DIR}/--help)
  message(FATAL_ERROR "orvelle gdi-sample --help wrote a file named --help")
endif()

foreach(name OrvelleControlsConfig.cmake OrvelleControlsConfigVersion.cmake)
  file(GLOB_RECURSE found ${prefix}/*/${name})
  if(NOT found)
    message(FATAL_ERROR "no ${name} installed")
  endif()
endforeach()

# The consumer is compiled with the sanitizer flags the library was built with, which a
# program linking an instrumented library needs.
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER} -B ${WORK_DIR}/consumer -G Ninja
                        -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_C_FLAGS=${EXTRA_CFLAGS}" -DEXPECTED_VERSION=${VERSION}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the consumer with find_package(OrvelleControls) failed:\n${out}${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/consumer RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building the consumer failed:\n${out}${err}")
endif()
# The installed library is found through the consumer's RUNPATH, as CMake sets it for an
# imported target outside the system folders.
execute_process(COMMAND ${CMAKE_COMMAND} -E env ORVELLE_REGISTRY=${WORK_DIR}/registry.json ${WORK_DIR}/consumer/consumer
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the consumer failed:\n${out}${err}")
endif()
