# The window layout as a C++ table, generated from resources/Update_Main.ui
# whenever the layout or the generator changes. Both builds include this: the
# Windows window is created from the table, and the Linux tests hold the
# table against the layout as Qt loads it.
#
# Gives the interface library kestrun_win32_layout, whose users include
# "ui/win32/update_main_layout.h".
include_guard(GLOBAL)

find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(KESTRUN_LAYOUT_DIR ${CMAKE_BINARY_DIR}/generated/layout)
set(KESTRUN_LAYOUT_HEADER ${KESTRUN_LAYOUT_DIR}/ui/win32/update_main_layout.h)
add_custom_command(
  OUTPUT ${KESTRUN_LAYOUT_HEADER}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRUN_LAYOUT_DIR}/ui/win32
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/ui/win32/generate_layout.py
          ${CMAKE_SOURCE_DIR}/resources/Update_Main.ui ${KESTRUN_LAYOUT_HEADER}
  DEPENDS ${CMAKE_SOURCE_DIR}/ui/win32/generate_layout.py ${CMAKE_SOURCE_DIR}/resources/Update_Main.ui
  COMMENT "Generating the window layout table from Update_Main.ui"
  VERBATIM)
add_custom_target(kestrun_win32_layout_header DEPENDS ${KESTRUN_LAYOUT_HEADER})

add_library(kestrun_win32_layout INTERFACE)
add_dependencies(kestrun_win32_layout kestrun_win32_layout_header)
target_include_directories(kestrun_win32_layout INTERFACE ${KESTRUN_LAYOUT_DIR} ${CMAKE_SOURCE_DIR})
