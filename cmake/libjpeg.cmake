# The JPEG library, from Debian's source package that tools/setup.sh unpacks into
# build/src (never committed), cross-compiled with this tree's toolchain as a static library:
# no shared library, no TurboJPEG interface, SIMD only when nasm is installed. Gives the
# imported target horavox_jpeg and HORAVOX_LIBJPEG_SOURCE (its licence texts are there).
include(ExternalProject)

set(HORAVOX_LIBJPEG_SOURCE "" CACHE PATH "The JPEG library's source (tools/setup.sh fetches it)")
if(NOT EXISTS "${HORAVOX_LIBJPEG_SOURCE}/jpeglib.h")
  file(GLOB candidates LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/build/src/libjpeg-turbo-*)
  foreach(dir IN LISTS candidates)
    if(EXISTS ${dir}/jpeglib.h AND EXISTS ${dir}/CMakeLists.txt)
      set(HORAVOX_LIBJPEG_SOURCE ${dir} CACHE PATH "The JPEG library's source (tools/setup.sh fetches it)" FORCE)
    endif()
  endforeach()
endif()
if(NOT EXISTS "${HORAVOX_LIBJPEG_SOURCE}/jpeglib.h")
  message(FATAL_ERROR "The JPEG library's source is missing from build/src: run tools/setup.sh")
endif()

find_program(HORAVOX_NASM nasm)
set(jpeg_simd OFF)
if(HORAVOX_NASM)
  set(jpeg_simd ON)
endif()
set(jpeg_binary ${CMAKE_BINARY_DIR}/libjpeg)
set(jpeg_launcher)
if(CMAKE_C_COMPILER_LAUNCHER)
  set(jpeg_launcher -DCMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER})
endif()
ExternalProject_Add(libjpeg_build
  SOURCE_DIR ${HORAVOX_LIBJPEG_SOURCE}
  BINARY_DIR ${jpeg_binary}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
             -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=${jpeg_simd}
             -DREQUIRE_SIMD=${jpeg_simd} -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR> ${jpeg_launcher}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${jpeg_binary}/libjpeg.a
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON)
file(MAKE_DIRECTORY ${jpeg_binary})  # jconfig.h is made there
add_library(horavox_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(horavox_jpeg PROPERTIES
  IMPORTED_LOCATION ${jpeg_binary}/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES "${HORAVOX_LIBJPEG_SOURCE};${jpeg_binary}")
add_dependencies(horavox_jpeg libjpeg_build)
