# Runs kestrin-cli once and checks what it printed, byte for byte.
#   cmake -DCLI=<kestrin-cli> -DARGS=<a|b|c> -DEXIT=<status> -DEXPECTED=<file>
#         [-DEXPECTED_STDERR=<file>] [-DSTDIN=<file>] [-DSTDOUT=<file>] -DWORK=<scratch prefix>
#         -P run-cli.cmake
# With STDOUT (such as /dev/full) standard output goes there and is not compared.
# Without EXPECTED_STDERR, standard error must be empty when EXIT is 0 or 1
# (a row's failure belongs in its row) and is not checked for usage errors.
string(REPLACE "|" ";" args "${ARGS}")
set(stdin_args)
if(STDIN)
  set(stdin_args INPUT_FILE "${STDIN}")
endif()
set(out "${WORK}.out")
if(STDOUT)
  set(out "${STDOUT}")
endif()
execute_process(COMMAND "${CLI}" ${args} ${stdin_args}
                OUTPUT_FILE "${out}" ERROR_FILE "${WORK}.err" RESULT_VARIABLE status)

set(failed FALSE)
if(NOT "${status}" STREQUAL "${EXIT}")
  message(SEND_ERROR "exit status ${status}, expected ${EXIT}")
  set(failed TRUE)
endif()
set(differs FALSE)
if(NOT STDOUT)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}.out" "${EXPECTED}" RESULT_VARIABLE differs)
endif()
if(differs)
  file(READ "${WORK}.out" actual)
  message(SEND_ERROR "standard output differs from ${EXPECTED}; it was:\n${actual}")
  set(failed TRUE)
endif()
file(READ "${WORK}.err" errors)
if(EXPECTED_STDERR)
  file(READ "${EXPECTED_STDERR}" expected_errors)
  if(NOT errors STREQUAL expected_errors)
    message(SEND_ERROR "standard error differs from ${EXPECTED_STDERR}; it was:\n${errors}")
    set(failed TRUE)
  endif()
elseif(EXIT LESS 2 AND NOT errors STREQUAL "")
  message(SEND_ERROR "unexpected standard error:\n${errors}")
  set(failed TRUE)
endif()
if(failed)
  message(FATAL_ERROR "kestrin-cli ${ARGS}")
endif()
