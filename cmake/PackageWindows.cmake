# make package-windows:
#   build-windows/kestrin-<version>-windows-x86_64.zip  both programs, unpacked and run
#   build-windows/kestrin-<version>-setup.exe           the NSIS installer
# Both hold kestrin.exe, kestrin-plant.exe and kestrin-cli.exe (stripped), the licence and a
# usage text in Chinese and English, the texts with CRLF line ends for Notepad.
find_program(KESTRIN_MAKENSIS makensis REQUIRED)
set(name kestrin-${PROJECT_VERSION}-windows-x86_64)
set(stage ${PROJECT_BINARY_DIR}/package-windows/${name})
set(setup ${PROJECT_BINARY_DIR}/kestrin-${PROJECT_VERSION}-setup.exe)
configure_file(${PROJECT_SOURCE_DIR}/res/windows/README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
add_custom_target(package-windows
  COMMAND ${CMAKE_STRIP} -o ${stage}/kestrin.exe $<TARGET_FILE:kestrin>
  COMMAND ${CMAKE_STRIP} -o ${stage}/kestrin-plant.exe $<TARGET_FILE:kestrin-plant>
  COMMAND ${CMAKE_STRIP} -o ${stage}/kestrin-cli.exe $<TARGET_FILE:kestrin-cli>
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/package-windows
          ${CMAKE_COMMAND} -E tar cf ${PROJECT_BINARY_DIR}/${name}.zip --format=zip
          ${name}/kestrin.exe ${name}/kestrin-plant.exe ${name}/kestrin-cli.exe ${name}/README.txt ${name}/LICENSE.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/src/gui/kestrin.ico ${stage}/kestrin.ico
  COMMAND ${KESTRIN_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DOUTFILE=${setup}
          ${PROJECT_SOURCE_DIR}/res/windows/kestrin.nsi
  DEPENDS kestrin kestrin-plant kestrin-cli
  COMMENT "Packing ${name}.zip and kestrin-${PROJECT_VERSION}-setup.exe"
  VERBATIM)
