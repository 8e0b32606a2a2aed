# Shared settings for every Linkora target.

function(linkora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(LINKORA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

if(LINKORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "LINKORA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # Every library is instrumented for coverage and checked; only the fuzz programs link
  # libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
elseif(LINKORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# linkora_add_library(<name> ALIAS <Alias> SOURCES ... [DEPENDS ...] [PRIVATE_DEPENDS ...])
# Builds one subsystem library with the Linkora::<Alias> name, an include path that works
# both in the tree and installed, and an install rule.
function(linkora_add_library name)
  cmake_parse_arguments(ARG "" "ALIAS" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  add_library(Linkora::${ARG_ALIAS} ALIAS ${name})
  set_target_properties(${name} PROPERTIES EXPORT_NAME ${ARG_ALIAS} POSITION_INDEPENDENT_CODE ON)
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/linkora/${name}>)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
  linkora_warnings(${name})
  file(GLOB headers "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  install(TARGETS ${name} EXPORT LinkoraTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/linkora/${name})
endfunction()
