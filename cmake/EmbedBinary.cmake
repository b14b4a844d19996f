# embed_binary(<file> <size> <symbol> <output.cpp>)
#
# Checks that <file> holds exactly <size> bytes and writes a C++ source that
# defines `const std::array<std::uint8_t, size> image::<symbol>` with its bytes.
# Runs at configure time; the build depends on the file, so a changed input
# file reconfigures.
function(embed_binary file size symbol output)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${symbol}: build input '${file}' does not exist")
  endif()
  file(SIZE "${file}" actual)
  if(NOT actual EQUAL size)
    message(FATAL_ERROR
      "${symbol}: build input '${file}' is ${actual} bytes; it must be exactly ${size} bytes")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")

  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Sixteen bytes a line keeps the generated file readable in a debugger.
  string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
  file(WRITE "${output}.tmp"
    "// Generated from ${file} at configure time. Do not edit.\n"
    "#include \"image/embedded_data.h\"\n\n"
    "namespace image {\n\n"
    "const std::array<std::uint8_t, ${size}> ${symbol} = {\n    ${bytes}\n};\n\n"
    "}  // namespace image\n")
  file(COPY_FILE "${output}.tmp" "${output}" ONLY_IF_DIFFERENT)
  file(REMOVE "${output}.tmp")
endfunction()
