# Boost.Asio and Boost.System are used header-only. The cross build must not
# see all of /usr/include (its C headers are Linux's), so it gets a folder
# that holds only a link to the system's boost headers.
set(BOOST_SYSTEM_HEADERS /usr/include/boost)
if(NOT EXISTS ${BOOST_SYSTEM_HEADERS}/version.hpp)
  message(FATAL_ERROR "Boost headers not found in ${BOOST_SYSTEM_HEADERS} (Debian package libboost-dev)")
endif()

add_library(boost_headers INTERFACE)
if(CMAKE_CROSSCOMPILING)
  set(boost_link_dir ${CMAKE_BINARY_DIR}/boost-include)
  file(MAKE_DIRECTORY ${boost_link_dir})
  file(CREATE_LINK ${BOOST_SYSTEM_HEADERS} ${boost_link_dir}/boost SYMBOLIC)
  target_include_directories(boost_headers SYSTEM INTERFACE ${boost_link_dir})
  target_link_libraries(boost_headers INTERFACE ws2_32 mswsock)
  target_compile_definitions(boost_headers INTERFACE _WIN32_WINNT=0x0601)
endif()
target_compile_definitions(boost_headers INTERFACE BOOST_ERROR_CODE_HEADER_ONLY BOOST_SYSTEM_NO_DEPRECATED)
