# KESTRUN_PTY_PARITY: the pty parity shim that the runner preloads into Wine.
#
# Wine loads only libraries of its own word size, and the 32-bit programs run
# under the 32-bit Wine: for them the shim is compiled here, from the same
# source, with the host's compiler for i386 (package g++-multilib). The 64-bit
# programs take the native build's.
if(KESTRUN_WINE_SKIP)
  # Nothing runs under Wine here, and the host may lack its i386 compiler.
  set(KESTRUN_PTY_PARITY "")
elseif(CMAKE_SIZEOF_VOID_P EQUAL 4)
  find_program(KESTRUN_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
  set(KESTRUN_PTY_PARITY ${CMAKE_CURRENT_BINARY_DIR}/libkestrun_pty_parity32.so)
  set(source ${CMAKE_SOURCE_DIR}/tests/wine_shim/pty_parity_shim.cpp)
  set(flags -m32 -std=c++20 -O2 -fPIC -shared -Wall -Wextra -Wconversion -Wsign-conversion)
  if(KESTRUN_WERROR)
    list(APPEND flags -Werror)
  endif()
  add_custom_command(OUTPUT ${KESTRUN_PTY_PARITY}
    COMMAND ${KESTRUN_HOST_CXX} ${flags} -o ${KESTRUN_PTY_PARITY} ${source} -ldl
    DEPENDS ${source}
    COMMENT "Building the pty parity shim for the 32-bit Wine"
    VERBATIM)
  add_custom_target(kestrun_pty_parity32 ALL DEPENDS ${KESTRUN_PTY_PARITY})
else()
  set(KESTRUN_PTY_PARITY ${KESTRUN_NATIVE_BUILD_DIR}/tests/wine_shim/libkestrun_pty_parity.so)
endif()
