# Configure-time checks of the SIP stack shims (see SipShims.h). Each shim replaces a
# function of the stack's libraries by name; a library version that renames it, drops it
# or changes its parameters would leave a shim that is never called, or called with the
# wrong arguments, with nothing to tell. So each replaced function must exist in its
# library with the signature the shim assumes, as the library's own header declares it;
# otherwise configuration stops, naming the shim. The results are kept per library
# version, so an upgraded library is checked again.

include(CheckCXXSourceCompiles)

find_library(LINKORA_BELLESIP_LIBRARY bellesip)
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(LINKORA_PC_BCTOOLBOX QUIET bctoolbox)
  pkg_check_modules(LINKORA_PC_BELLESIP QUIET belle-sip)
  pkg_check_modules(LINKORA_PC_LINPHONE QUIET linphone)
endif()
set(bctoolbox_version "${LINKORA_PC_BCTOOLBOX_VERSION}")
set(bellesip_version "${LINKORA_PC_BELLESIP_VERSION}")
foreach(v bctoolbox_version bellesip_version)
  if(NOT ${v})
    set(${v} unknown)
  endif()
endforeach()

# liblinphone's pkg-config file may carry no version; its ABI number (the library's
# SONAME) says what matters here, since the address printer has no public header.
get_filename_component(linphone_real "${LINKORA_LINPHONE_LIBRARY}" REALPATH)
get_filename_component(linphone_file "${linphone_real}" NAME)
string(REGEX MATCH "\\.so\\.([0-9]+)" linphone_abi_match "${linphone_file}")
set(linphone_abi "${CMAKE_MATCH_1}")
if(NOT linphone_abi)
  set(linphone_abi unknown)
endif()
set(linphone_version "${LINKORA_PC_LINPHONE_VERSION}")
if(NOT linphone_version)
  set(linphone_version "ABI ${linphone_abi}")
endif()

# The liblinphone ABI that sal_address_as_string's shim was checked against by hand.
set(LINKORA_SIP_SHIM_LINPHONE_ABI 10)

# linkora_check_sip_shim(<function> FILE <shim file> LIBRARY <lib> VERSION <text>
#                        PROTOTYPE <function pointer type> HEADERS <header>...
#                        [DECLARATION <the shim's own declaration, without the ;>])
function(linkora_check_sip_shim function)
  cmake_parse_arguments(ARG "" "FILE;LIBRARY;VERSION;PROTOTYPE;DECLARATION" "HEADERS" ${ARGN})
  set(source "")
  foreach(header IN LISTS ARG_HEADERS)
    string(APPEND source "#include <${header}>\n")
  endforeach()
  if(ARG_DECLARATION)
    string(APPEND source "${ARG_DECLARATION};\n")
  endif()
  string(APPEND source "#include <type_traits>\n"
    "static_assert(std::is_same_v<decltype(&::${function}), ${ARG_PROTOTYPE}>);\n"
    "int main() { return reinterpret_cast<const void*>(&::${function}) != nullptr ? 0 : 1; }\n")
  string(MAKE_C_IDENTIFIER "LINKORA_SIP_SHIM_${function}_${ARG_VERSION}" result)
  set(CMAKE_REQUIRED_INCLUDES ${LINKORA_LINPHONE_INCLUDE_DIR})
  set(CMAKE_REQUIRED_LIBRARIES ${ARG_LIBRARY})
  set(CMAKE_REQUIRED_QUIET ON)
  check_cxx_source_compiles("${source}" ${result})
  if(NOT ${result})
    message(FATAL_ERROR
      "SIP stack shim ${function} (platform/telephony/providers/sip/shims/${ARG_FILE}) does not fit "
      "the installed library (${ARG_VERSION}): ${function} is missing from ${ARG_LIBRARY} or is no "
      "longer declared as ${ARG_PROTOTYPE} in ${ARG_HEADERS}. Read the library's new declaration, "
      "update the shim to it, then configure again. (Details: CMakeFiles/CMakeError.log.)")
  endif()
endfunction()

set(bctbx "bctoolbox ${bctoolbox_version}")
linkora_check_sip_shim(bctbx_recvfrom FILE DatagramShim.cpp LIBRARY ${LINKORA_BCTOOLBOX_LIBRARY}
  VERSION ${bctbx} HEADERS bctoolbox/port.h
  PROTOTYPE "ssize_t (*)(bctbx_socket_t, void*, size_t, int, struct sockaddr*, socklen_t*)")
linkora_check_sip_shim(bctbx_recv FILE StreamShims.cpp LIBRARY ${LINKORA_BCTOOLBOX_LIBRARY}
  VERSION ${bctbx} HEADERS bctoolbox/port.h
  PROTOTYPE "ssize_t (*)(bctbx_socket_t, void*, size_t, int)")
linkora_check_sip_shim(bctbx_ssl_read FILE StreamShims.cpp LIBRARY ${LINKORA_BCTOOLBOX_LIBRARY}
  VERSION ${bctbx} HEADERS bctoolbox/crypto.h
  PROTOTYPE "int32_t (*)(bctbx_ssl_context_t*, unsigned char*, size_t)")
linkora_check_sip_shim(bctbx_ssl_write FILE StreamShims.cpp LIBRARY ${LINKORA_BCTOOLBOX_LIBRARY}
  VERSION ${bctbx} HEADERS bctoolbox/crypto.h
  PROTOTYPE "int32_t (*)(bctbx_ssl_context_t*, const unsigned char*, size_t)")
linkora_check_sip_shim(bctbx_ssl_handshake FILE StreamShims.cpp LIBRARY ${LINKORA_BCTOOLBOX_LIBRARY}
  VERSION ${bctbx} HEADERS bctoolbox/crypto.h
  PROTOTYPE "int32_t (*)(bctbx_ssl_context_t*)")
linkora_check_sip_shim(bctbx_ssl_context_free FILE StreamShims.cpp LIBRARY ${LINKORA_BCTOOLBOX_LIBRARY}
  VERSION ${bctbx} HEADERS bctoolbox/crypto.h
  PROTOTYPE "void (*)(bctbx_ssl_context_t*)")
# Not replaced, only looked up: it tells the SIP stack's TLS calls from the media engine's.
linkora_check_sip_shim(belle_sip_stack_new FILE StreamShims.cpp LIBRARY ${LINKORA_BELLESIP_LIBRARY}
  VERSION "belle-sip ${bellesip_version}" HEADERS belle-sip/belle-sip.h
  PROTOTYPE "belle_sip_stack_t* (*)(const char*)")
# The stack declares its address printer in no installed header: the shim's own
# declaration is checked for the symbol, and the library's ABI for the signature.
linkora_check_sip_shim(sal_address_as_string FILE AddressPrinterShim.cpp LIBRARY ${LINKORA_LINPHONE_LIBRARY}
  VERSION "liblinphone ${linphone_version}" HEADERS cstddef
  DECLARATION "extern \"C\" char* sal_address_as_string(const void*)"
  PROTOTYPE "char* (*)(const void*)")
if(NOT linphone_abi STREQUAL LINKORA_SIP_SHIM_LINPHONE_ABI)
  message(FATAL_ERROR
    "SIP stack shim sal_address_as_string (platform/telephony/providers/sip/shims/AddressPrinterShim.cpp) "
    "was checked against liblinphone ABI ${LINKORA_SIP_SHIM_LINPHONE_ABI}; the installed library "
    "(${linphone_file}) is ABI ${linphone_abi}. The library has no header for the function: read its "
    "definition in that version's source, update the shim to it, then set LINKORA_SIP_SHIM_LINPHONE_ABI "
    "in SipShimChecks.cmake.")
endif()
message(STATUS "SIP stack shims fit ${bctbx}, belle-sip ${bellesip_version}, liblinphone ${linphone_version}")
