# vor-fwupdate's command line on a machine without a display: --help and --version
# print and exit 0 before any window exists; bad usage prints the usage and exits 2.
# cmake -DPROGRAM=... -DVERSION=... -P CommandLineCheck.cmake

function(run out_var err_var rc_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=
                          ${PROGRAM} ${ARGN}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc TIMEOUT 60)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
  set(${rc_var} "${rc}" PARENT_SCOPE)
endfunction()

function(expect_text text what)
  foreach(expected IN LISTS ARGN)
    string(FIND "${text}" "${expected}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${what} lacks '${expected}':\n${text}")
    endif()
  endforeach()
endfunction()

run(out err rc --help)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "--help exited with ${rc}: ${err}")
endif()
expect_text("${out}" "--help output" "Usage:" "--port <name>" "--demo" "--version")

run(out err rc --version)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "vor-fwupdate ${VERSION}\n")
  message(FATAL_ERROR "--version exited with ${rc} and printed: ${out}${err}")
endif()

# Bad usage: exit status 2, the reason and the usage on standard error, nothing on standard output.
foreach(bad "--frobnicate" "--yes" "--cli;--lang;xx" "--cli;--demo")
  run(out err rc ${bad})
  if(NOT rc EQUAL 2 OR NOT out STREQUAL "")
    message(FATAL_ERROR "'${bad}' exited with ${rc} and printed: ${out}")
  endif()
  list(GET bad -1 named)
  string(REGEX REPLACE "^--" "" named "${named}")
  expect_text("${err}" "the message for '${bad}'" "${named}" "Usage:" "--port <name>" "--cli")
endforeach()
message(STATUS "vor-fwupdate --help, --version and bad usage checked")
