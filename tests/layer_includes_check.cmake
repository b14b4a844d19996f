# cmake -DSOURCE_DIR=<top of the tree> -P layer_includes_check.cmake
#
# The window logic, the device link and the image must build unchanged on
# every platform, so they include only the C++ standard library, each other
# and the platform seam (platform/*.h): no toolkit, no operating system, no
# platform layer and no view. Fails naming every include that breaks this.
set(violations "")
foreach(layer app link image)
  file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
  foreach(source IN LISTS sources)
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      # An include through a macro cannot be judged and is refused.
      set(header "${line}")
      set(allowed_pattern "^$")
      if(line MATCHES "#[ \t]*include[ \t]*<([^>]*)>")
        # Standard headers are lower-case names without an extension or a
        # folder; Qt, POSIX, Windows and library headers are not.
        set(header "${CMAKE_MATCH_1}")
        set(allowed_pattern "^[a-z_]+$")
      elseif(line MATCHES "#[ \t]*include[ \t]*\"([^\"]*)\"")
        set(header "${CMAKE_MATCH_1}")
        set(allowed_pattern "^((app|link|image)/[^/]+|platform/[^/]+\\.h)$")
      endif()
      if(NOT header MATCHES "${allowed_pattern}")
        file(RELATIVE_PATH where "${SOURCE_DIR}" "${source}")
        string(APPEND violations "\n  ${where}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "app/, link/ and image/ may include only the C++ standard library, "
                      "each other and platform/*.h:${violations}")
endif()
