# A cross build finds the header-only libraries (CLI11, nlohmann-json) in the
# build machine's Debian packages, but must not see the rest of its
# /usr/include: the host's C library headers would shadow MinGW's. So each
# package's headers and CMake config are linked into a root of their own,
# build-windows/host-headers/usr, and find_package searches that root too.
set(host_headers ${CMAKE_BINARY_DIR}/host-headers)
foreach(path usr/include/CLI usr/share/cmake/CLI11
             usr/include/nlohmann usr/share/cmake/nlohmann_json)
  if(EXISTS /${path} AND NOT EXISTS ${host_headers}/${path})
    get_filename_component(parent ${host_headers}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK /${path} ${host_headers}/${path} SYMBOLIC)
  endif()
endforeach()
list(APPEND CMAKE_FIND_ROOT_PATH ${host_headers})
