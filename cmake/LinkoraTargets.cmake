# Shared settings for every Linkora target.

function(linkora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  # Batched sources are included into one file, which gcc then takes for a header and
  # warns about test fixtures in anonymous namespaces.
  if(LINKORA_FAST_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-subobject-linkage)
  endif()
  if(LINKORA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# For code that runs at a person's pace rather than a call's (windows, the phone
# control, configuration, the control channel): compiled for size in optimised builds.
# A program maps its pages at every start whether it uses them or not.
function(linkora_optimize_for_size target)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-Os>)
endfunction()

# linkora_keep_apart(<program> <library>...)
# Places the code and constant data of the named static libraries in sections of their
# own, ahead of the rest of the program's. The kernel brings a program's pages into memory
# 64 KB at a time around each one it touches; what a start never uses (windows that open
# on demand) then stays out, rather than coming in beside what it does use. Their inline
# and template code stays with the rest, where the code that runs at start finds it.
# Where the linker cannot place sections by script, the program is linked as usual.
function(linkora_keep_apart program)
  if(NOT DEFINED CACHE{LINKORA_LINKER_PLACES_SECTIONS})
    set(probe ${CMAKE_BINARY_DIR}/CMakeFiles/linkora-place-sections.ld)
    file(WRITE ${probe} "SECTIONS { .text.apart : { *libnone.a:*(.text) } } INSERT BEFORE .text;\n")
    include(CheckLinkerFlag)
    check_linker_flag(CXX "LINKER:-T,${probe}" LINKORA_LINKER_PLACES_SECTIONS)
  endif()
  if(NOT LINKORA_LINKER_PLACES_SECTIONS)
    return()
  endif()
  set(code "")
  set(data "")
  foreach(library IN LISTS ARGN)
    string(APPEND code "    *$<TARGET_FILE_NAME:${library}>:*(.text .text.unlikely)\n")
    string(APPEND data "    *$<TARGET_FILE_NAME:${library}>:*(.rodata)\n")
  endforeach()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${program}-apart.ld)
  file(GENERATE OUTPUT ${script} CONTENT
    "SECTIONS\n{\n  .text.apart :\n  {\n${code}  }\n}\nINSERT BEFORE .text;\n\nSECTIONS\n{\n  .rodata.apart :\n  {\n${data}  }\n}\nINSERT AFTER .rodata;\n")
  target_link_options(${program} PRIVATE LINKER:-T,${script})
  set_property(TARGET ${program} APPEND PROPERTY LINK_DEPENDS ${script})
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
elseif(LINKORA_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(LINKORA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# A tree built to be tested once rather than worked in: sources compiled in batches
# (each header parsed once per batch instead of once per file), and a sanitizer tree
# optimised lightly with line tables only, which is what its reports need.
if(LINKORA_FAST_BUILD)
  set(CMAKE_UNITY_BUILD ON)
  set(CMAKE_UNITY_BUILD_BATCH_SIZE 16)
  if(LINKORA_SANITIZE OR LINKORA_FUZZ)
    set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -g1 -DNDEBUG")
  else()
    set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG")
  endif()
endif()

# linkora_add_library(<name> ALIAS <Alias> SOURCES ... [HEADERS ...] [PRIVATE_INCLUDE <dir>]
#                     [DEPENDS ...] [PRIVATE_DEPENDS ...])
# Builds one subsystem library with the Linkora::<Alias> name, an include path that works
# both in the tree and installed, and an install rule. HEADERS lists the public headers,
# the only ones installed (without the list, every header of the folder is public);
# PRIVATE_INCLUDE names the folder of private headers, which the library itself and
# Linkora::<Alias>Private (for the tests, never installed) see.
function(linkora_add_library name)
  cmake_parse_arguments(ARG "" "ALIAS;PRIVATE_INCLUDE" "SOURCES;HEADERS;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES} ${ARG_HEADERS})
  add_library(Linkora::${ARG_ALIAS} ALIAS ${name})
  set_target_properties(${name} PROPERTIES EXPORT_NAME ${ARG_ALIAS} POSITION_INDEPENDENT_CODE ON)
  target_include_directories(${name} PUBLIC
    $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>
    $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/linkora/${name}>)
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
  linkora_warnings(${name})
  if(ARG_PRIVATE_INCLUDE)
    set(private_dir ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_PRIVATE_INCLUDE})
    target_include_directories(${name} PRIVATE ${private_dir})
    add_library(${name}_private INTERFACE)
    add_library(Linkora::${ARG_ALIAS}Private ALIAS ${name}_private)
    target_include_directories(${name}_private INTERFACE ${private_dir})
    target_link_libraries(${name}_private INTERFACE ${name})
  endif()
  if(ARG_HEADERS)
    set(headers ${ARG_HEADERS})
  else()
    file(GLOB headers "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  endif()
  install(TARGETS ${name} EXPORT LinkoraTargets ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(FILES ${headers} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/linkora/${name})
endfunction()
