# Every header of the core and the command line compiles on its own: each gets a
# source file that includes it (twice, so a missing include guard shows too).
file(GLOB_RECURSE ZARVEX_CHECKED_HEADERS CONFIGURE_DEPENDS
  RELATIVE ${CMAKE_SOURCE_DIR}
  ${CMAKE_SOURCE_DIR}/core/*.h
  ${CMAKE_SOURCE_DIR}/cli/*.h)
set(ZARVEX_HEADER_CHECK_SOURCES)
foreach(header ${ZARVEX_CHECKED_HEADERS})
  string(MAKE_C_IDENTIFIER ${header} name)
  set(source ${CMAKE_BINARY_DIR}/header-check/${name}.cpp)
  set(text "#include \"${CMAKE_SOURCE_DIR}/${header}\"\n#include \"${CMAKE_SOURCE_DIR}/${header}\"\n")
  unset(old)
  if(EXISTS ${source})
    file(READ ${source} old)
  endif()
  if(NOT old STREQUAL text)
    file(WRITE ${source} ${text})
  endif()
  list(APPEND ZARVEX_HEADER_CHECK_SOURCES ${source})
endforeach()
add_library(zarvex_header_check OBJECT ${ZARVEX_HEADER_CHECK_SOURCES})
target_link_libraries(zarvex_header_check PRIVATE zarvex_cli_lib zarvex_mupdf LibXml2::LibXml2
  nlohmann_json::nlohmann_json PkgConfig::TURBOJPEG PkgConfig::UTF8PROC)
