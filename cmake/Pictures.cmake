# The map pictures decode with stb_image (JPEG, TGA, BMP) and unpack archives with zlib.
# Debian: libstb-dev, zlib1g-dev natively, libz-mingw-w64-dev for the MinGW build.
# Elsewhere (MSVC): RD_STB_INCLUDE_DIR names a folder holding stb_image.h, and zlib is taken
# from find_package(ZLIB) when it is there (vcpkg, say); without it stb_image's own deflate
# decoder and a portable CRC-32 stand in.

# stb_image is one header of portable C: the host's copy serves the cross build too.
find_path(RD_STB_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb NO_CMAKE_FIND_ROOT_PATH
          DOC "Folder holding stb_image.h")
if(NOT RD_STB_INCLUDE_DIR)
  message(FATAL_ERROR "stb_image.h not found: install libstb-dev (tools/setup.sh) or set "
                      "RD_STB_INCLUDE_DIR to a folder holding it")
endif()
target_include_directories(rd_pictures SYSTEM PRIVATE ${RD_STB_INCLUDE_DIR})
# stb's own source is not ours to keep free of warnings.
if(MSVC)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/pictures/StbImage.cpp PROPERTIES COMPILE_OPTIONS /w)
else()
  set_source_files_properties(${PROJECT_SOURCE_DIR}/pictures/StbImage.cpp PROPERTIES COMPILE_OPTIONS -w)
endif()

option(RD_USE_ZLIB "Unpack archives with zlib when it is found" ON)
if(RD_USE_ZLIB)
  if(MINGW)
    # One self-contained exe: the static library rather than zlib1.dll.
    set(ZLIB_USE_STATIC_LIBS ON)
  endif()
  find_package(ZLIB)
endif()
if(ZLIB_FOUND)
  target_link_libraries(rd_pictures PUBLIC ZLIB::ZLIB)
  target_compile_definitions(rd_pictures PRIVATE RD_PICTURES_ZLIB)
  message(STATUS "Pictures: zlib ${ZLIB_VERSION_STRING} unpacks archives")
else()
  message(STATUS "Pictures: no zlib; stb_image's deflate decoder unpacks archives")
endif()
