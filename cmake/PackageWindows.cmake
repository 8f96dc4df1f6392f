# make package-windows:
#   build-windows/kestrin-<version>-windows-x86_64.zip  the programs, unpacked and run
#   build-windows/kestrin-<version>-setup.exe           the NSIS installer
#   build-windows/kestrin-<version>-relink.zip          what relinking needs (LGPL)
# Both packages hold kestrin.exe, kestrin-cli.exe and, when built,
# kestrin-plant.exe (stripped), the licence, the third-party notices and a
# usage text in Chinese and English, the texts with CRLF line ends for Notepad.
find_program(KESTRIN_MAKENSIS makensis REQUIRED)
set(name kestrin-${PROJECT_VERSION}-windows-x86_64)
set(stage ${PROJECT_BINARY_DIR}/package-windows/${name})
set(setup ${PROJECT_BINARY_DIR}/kestrin-${PROJECT_VERSION}-setup.exe)
set(relink ${PROJECT_BINARY_DIR}/kestrin-${PROJECT_VERSION}-relink.zip)
configure_file(${PROJECT_SOURCE_DIR}/res/windows/README.txt ${stage}/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${stage}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/res/windows/THIRD-PARTY-NOTICES.txt ${stage}/THIRD-PARTY-NOTICES.txt
  @ONLY NEWLINE_STYLE CRLF)

set(programs kestrin kestrin-cli)
if(TARGET kestrin-plant)
  list(APPEND programs kestrin-plant)
endif()
set(strip_commands)
set(zip_files)
set(program_dirs)
foreach(program IN LISTS programs)
  list(APPEND strip_commands COMMAND ${CMAKE_STRIP} -o ${stage}/${program}.exe $<TARGET_FILE:${program}>)
  list(APPEND zip_files ${name}/${program}.exe)
  get_target_property(dir ${program} SOURCE_DIR)
  file(RELATIVE_PATH dir ${PROJECT_SOURCE_DIR} ${dir})
  list(APPEND program_dirs ${dir}/${program})
endforeach()

add_custom_target(package-windows
  ${strip_commands}
  COMMAND ${CMAKE_COMMAND} -E chdir ${PROJECT_BINARY_DIR}/package-windows
          ${CMAKE_COMMAND} -E tar cf ${PROJECT_BINARY_DIR}/${name}.zip --format=zip
          ${zip_files} ${name}/README.txt ${name}/LICENSE.txt ${name}/THIRD-PARTY-NOTICES.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_BINARY_DIR}/src/gui/kestrin.ico ${stage}/kestrin.ico
  COMMAND ${KESTRIN_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage} -DOUTFILE=${setup}
          ${PROJECT_SOURCE_DIR}/res/windows/kestrin.nsi
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-relink-archive ${PROJECT_BINARY_DIR} ${KESTRIN_QT_WINDOWS}
          ${relink} ${program_dirs}
  DEPENDS ${programs}
  COMMENT "Packing ${name}.zip, kestrin-${PROJECT_VERSION}-setup.exe and the relink archive"
  VERBATIM)
