# The codec libraries of the image layer, as imported targets brivelle::jpeg, brivelle::png,
# brivelle::gif, brivelle::tiff, brivelle::zlib and brivelle::stb (header only).
if(NOT WIN32)
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  find_package(ZLIB REQUIRED)
  find_package(GIF REQUIRED)
  find_package(TIFF REQUIRED)
  add_library(brivelle::jpeg ALIAS JPEG::JPEG)
  add_library(brivelle::png ALIAS PNG::PNG)
  add_library(brivelle::zlib ALIAS ZLIB::ZLIB)
  add_library(brivelle::gif ALIAS GIF::GIF)
  add_library(brivelle::tiff ALIAS TIFF::TIFF)
  add_library(brivelle_stb INTERFACE)
  target_include_directories(brivelle_stb SYSTEM INTERFACE /usr/include/stb)
  add_library(brivelle::stb ALIAS brivelle_stb)
endif()

if(WIN32)
  # Cross-built once by scripts/build-codecs into out/codecs/<processor>; a stamp newer than the
  # script and its pinned versions means the libraries are there and current.
  set(BRIVELLE_CODECS_DIR ${CMAKE_SOURCE_DIR}/out/codecs/${CMAKE_SYSTEM_PROCESSOR})
  set(codecs_script ${CMAKE_SOURCE_DIR}/scripts/build-codecs)
  set(codecs_pins ${CMAKE_SOURCE_DIR}/scripts/codec-versions)
  set(codecs_stamp ${BRIVELLE_CODECS_DIR}/.complete)
  if(NOT EXISTS ${codecs_stamp}
     OR ${codecs_script} IS_NEWER_THAN ${codecs_stamp}
     OR ${codecs_pins} IS_NEWER_THAN ${codecs_stamp})
    message(STATUS "Building the codec libraries for Windows (scripts/build-codecs)")
    execute_process(COMMAND ${codecs_script} ${CMAKE_SYSTEM_PROCESSOR} RESULT_VARIABLE codecs_result)
    if(NOT codecs_result EQUAL 0)
      message(FATAL_ERROR "scripts/build-codecs failed (exit ${codecs_result}); the Windows build needs "
                          "its codec libraries in ${BRIVELLE_CODECS_DIR}. See out/codecs/build.log.")
    endif()
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${codecs_script} ${codecs_pins})

  function(brivelle_codec name file)
    set(path ${BRIVELLE_CODECS_DIR}/lib/${file})
    if(NOT EXISTS ${path})
      message(FATAL_ERROR "Codec library ${path} is missing; run scripts/build-codecs --force ${CMAKE_SYSTEM_PROCESSOR}")
    endif()
    add_library(brivelle::${name} STATIC IMPORTED GLOBAL)
    set_target_properties(brivelle::${name} PROPERTIES IMPORTED_LOCATION ${path} INTERFACE_INCLUDE_DIRECTORIES
                                                       ${BRIVELLE_CODECS_DIR}/include)
  endfunction()

  brivelle_codec(zlib libz.a)
  brivelle_codec(jpeg libjpeg.a)
  brivelle_codec(png libpng.a)
  brivelle_codec(gif libgif.a)
  brivelle_codec(tiff libtiff.a)
  # Static link order: libtiff needs libjpeg and zlib, libpng needs zlib.
  set_property(TARGET brivelle::png PROPERTY INTERFACE_LINK_LIBRARIES brivelle::zlib)
  set_property(TARGET brivelle::tiff PROPERTY INTERFACE_LINK_LIBRARIES brivelle::jpeg brivelle::zlib)

  add_library(brivelle_stb INTERFACE)
  target_include_directories(brivelle_stb SYSTEM INTERFACE ${BRIVELLE_CODECS_DIR}/include/stb)
  add_library(brivelle::stb ALIAS brivelle_stb)
endif()
