# `cmake --install` lays the programs out as the build folder does, under the usual
# GNUInstallDirs places (relative to the prefix), so that they find their resource folder
# from their own location (core/base/Resources.cpp looks at ../share/zarvex/resources):
#   bin/zarvex, bin/zarvex-cli
#   share/zarvex/resources/       templates, styles, players, demo pages, manual
#   libexec/zarvex/               pdf2swf and getswfSize, reached as resources/lib
# Included at the end of the top-level list file, once every program target exists.
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(WARNING "The installed programs look for their resources in ../share/zarvex/resources; "
                  "with CMAKE_INSTALL_BINDIR=${CMAKE_INSTALL_BINDIR} and "
                  "CMAKE_INSTALL_DATADIR=${CMAKE_INSTALL_DATADIR} they need ZARVEX_RESOURCES.")
endif()

foreach(program zarvex zarvex-cli)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

foreach(item ${ZARVEX_SHIPPED_RESOURCES})
  set(path ${CMAKE_SOURCE_DIR}/resources/${item})
  if(IS_DIRECTORY ${path})
    install(DIRECTORY ${path} DESTINATION ${ZARVEX_INSTALL_RESOURCES} USE_SOURCE_PERMISSIONS)
  elseif(EXISTS ${path})
    install(FILES ${path} DESTINATION ${ZARVEX_INSTALL_RESOURCES})
  endif()
endforeach()

# The page converters are machine code, so they go to libexec rather than share; the
# resource folder reaches them through a relative link "lib".
set(ZARVEX_INSTALL_TOOLS ${CMAKE_INSTALL_LIBEXECDIR}/zarvex)
install(TARGETS pdf2swf getswfSize RUNTIME DESTINATION ${ZARVEX_INSTALL_TOOLS})
file(RELATIVE_PATH tools_from_resources /${ZARVEX_INSTALL_RESOURCES} /${ZARVEX_INSTALL_TOOLS})
install(CODE "
  set(link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZARVEX_INSTALL_RESOURCES}/lib\")
  message(STATUS \"Installing: \${link} -> ${tools_from_resources}\")
  file(REMOVE_RECURSE \"\${link}\")
  file(CREATE_LINK ${tools_from_resources} \"\${link}\" SYMBOLIC)
")
