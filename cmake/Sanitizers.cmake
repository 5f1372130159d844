# SANITIZERS is a list such as "address;undefined" or "thread" (native build).
set(SANITIZERS "" CACHE STRING "Sanitizers for the native build")
if(SANITIZERS)
  if(CMAKE_CROSSCOMPILING)
    message(FATAL_ERROR "SANITIZERS is for the native build only")
  endif()
  list(JOIN SANITIZERS "," sanitizer_list)
  add_compile_options(-fsanitize=${sanitizer_list} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${sanitizer_list})
endif()

# Asio's fenced blocks use atomic_thread_fence, which GCC warns about under
# ThreadSanitizer; the threaded tests run clean there regardless.
if("thread" IN_LIST SANITIZERS AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wno-tsan)
endif()
