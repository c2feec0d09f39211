# Renders the user manual: Markdown -> HTML (python3-markdown) -> PDF (weasyprint), then
# places the PDF under each name the programs open it by. Run by the build (cmake -P) with
#   MARKDOWN, WEASYPRINT  the two converters
#   SOURCE, STYLESHEET    manual.md and manual.css
#   WORK_DIR              where manual.html and manual.pdf are written
#   COPIES                the paths the finished PDF is copied to (a list)
foreach(var MARKDOWN WEASYPRINT SOURCE STYLESHEET WORK_DIR COPIES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "render.cmake: ${var} is not set")
  endif()
endforeach()

set(body ${WORK_DIR}/manual-body.html)
set(html ${WORK_DIR}/manual.html)
set(pdf ${WORK_DIR}/manual.pdf)
file(MAKE_DIRECTORY ${WORK_DIR})

execute_process(
  COMMAND ${MARKDOWN} -x toc -x tables -x fenced_code -x md_in_html -o html -f ${body} ${SOURCE}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the manual cannot be converted to HTML (${MARKDOWN}: ${status})")
endif()

# markdown_py writes the body only; weasyprint takes the PDF's title from the head.
file(READ ${body} content)
file(WRITE ${html}
  "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
  "<title>3D Zarvex user manual</title>\n</head>\n<body>\n" "${content}" "\n</body>\n</html>\n")

execute_process(
  COMMAND ${WEASYPRINT} --quiet --stylesheet ${STYLESHEET} ${html} ${pdf}.tmp
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  file(REMOVE ${pdf}.tmp)
  message(FATAL_ERROR "the manual cannot be rendered to PDF (${WEASYPRINT}: ${status})")
endif()
file(RENAME ${pdf}.tmp ${pdf})

foreach(copy IN LISTS COPIES)
  get_filename_component(folder "${copy}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE ${pdf} "${copy}")
endforeach()
