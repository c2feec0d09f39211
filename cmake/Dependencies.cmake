# Third-party libraries, all from Debian's packages (scripts/install-deps.sh).
find_package(PkgConfig REQUIRED)
find_package(ZLIB REQUIRED)
find_package(LibXml2 REQUIRED)
find_package(spdlog REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(UTF8PROC REQUIRED IMPORTED_TARGET libutf8proc)

# MuPDF ships as static archives without a usable pkg-config file on Debian 12.
find_path(MUPDF_INCLUDE_DIR mupdf/fitz.h REQUIRED)
find_library(MUPDF_LIBRARY NAMES libmupdf.a mupdf REQUIRED)
find_library(MUPDF_THIRD_LIBRARY NAMES libmupdf-third.a mupdf-third REQUIRED)
add_library(zarvex_mupdf INTERFACE)
target_include_directories(zarvex_mupdf SYSTEM INTERFACE ${MUPDF_INCLUDE_DIR})
target_link_libraries(zarvex_mupdf INTERFACE
  ${MUPDF_LIBRARY} ${MUPDF_THIRD_LIBRARY}
  mujs gumbo openjp2 jbig2dec jpeg freetype harfbuzz ZLIB::ZLIB m
  # Again as a plain name: a target whose other code does not use zlib gets
  # ZLIB::ZLIB placed before the MuPDF archives, where --as-needed drops it.
  z)
