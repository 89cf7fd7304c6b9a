# Compiles one file that includes HEADER, seeing only the folders INCLUDES,
# and checks the outcome against EXPECT (PASS: it compiles; FAIL: the header
# is not found). Run by ctest with cmake -P.
file(WRITE ${PROBE} "#include \"${HEADER}\"\nint main() { return 0; }\n")
set(flags)
foreach(dir IN LISTS INCLUDES)
  list(APPEND flags -I${dir})
endforeach()
execute_process(
  COMMAND ${COMPILER} -std=c++20 -fsyntax-only ${flags} ${PROBE}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(EXPECT STREQUAL "PASS")
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${HEADER} should be reachable here, but:\n${err}")
  endif()
else()
  if(result EQUAL 0)
    message(FATAL_ERROR "${HEADER} compiled, but it belongs to a layer this one must not use")
  endif()
  if(NOT err MATCHES "No such file")
    message(FATAL_ERROR "the probe failed for another reason than a missing header:\n${err}")
  endif()
endif()
