# Writes a help2man include file holding each command's own --help, so that
# the manual page lists every command's options, not only the commands.
#   cmake -DCLI=<kestrin-cli> -DOUT=<file.h2m> -P manual-commands.cmake
set(text "")
foreach(command distance emission batch report)
  execute_process(COMMAND "${CLI}" ${command} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "kestrin-cli ${command} --help failed")
  endif()
  # The footer is on the main page already; roff needs its backslashes doubled.
  string(FIND "${help}" "\nBatch files (kestrin-cli batch, kestrin-cli report):" footer)
  string(SUBSTRING "${help}" 0 ${footer} help)
  string(REPLACE "\\" "\\\\" help "${help}")
  # A line starting with "[" would open a help2man section, "." or "'" a roff request.
  string(REGEX REPLACE "(^|\n)([[.'])" "\\1\\\\&\\2" help "${help}")
  string(APPEND text ".SS ${command}\n.nf\n${help}\n.fi\n")
endforeach()
file(WRITE "${OUT}" "[COMMANDS]\n${text}")
