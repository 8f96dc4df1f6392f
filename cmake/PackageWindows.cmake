# make package-windows: build-windows/kestrin-cli-<version>-windows-x86_64.zip
# holding kestrin-cli.exe (stripped), the licence and a usage text in Chinese
# and English, both with CRLF line ends for Notepad.
set(name kestrin-cli-${PROJECT_VERSION}-windows-x86_64)
set(stage ${PROJECT_BINARY_DIR}/package-windows/${name})
configure_file(${PROJECT_SOURCE_DIR}/res/windows/README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
add_custom_target(package-windows
  COMMAND ${CMAKE_STRIP} -o ${stage}/kestrin-cli.exe $<TARGET_FILE:kestrin-cli>
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/package-windows
          ${CMAKE_COMMAND} -E tar cf ${PROJECT_BINARY_DIR}/${name}.zip --format=zip ${name}
  DEPENDS kestrin-cli
  COMMENT "Packing ${name}.zip"
  VERBATIM)
