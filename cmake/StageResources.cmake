# The build folder gets a resources/ folder like the installed one: the shipped
# data is linked in from the source tree, the tools are built into resources/lib.
# ZARVEX_SHIPPED_RESOURCES lists the shipped items; `cmake --install` copies the same ones.
set(ZARVEX_SHIPPED_RESOURCES AppFiles DemoImgs_standard images logging.properties PageEditor.html
    PageEditor.swf)
file(MAKE_DIRECTORY ${ZARVEX_STAGE_RESOURCES}/lib)
foreach(item ${ZARVEX_SHIPPED_RESOURCES})
  if(EXISTS ${CMAKE_SOURCE_DIR}/resources/${item})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/resources/${item} ${ZARVEX_STAGE_RESOURCES}/${item} SYMBOLIC)
  endif()
endforeach()
set(ZARVEX_TOOLS_DIR ${ZARVEX_STAGE_RESOURCES}/lib)
