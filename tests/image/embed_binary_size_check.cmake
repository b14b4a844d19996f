# Runs the build's own embedding step on a file of the wrong size; the test
# expects it to stop with a message naming the file, its size and the size
# required.
include(${SOURCE_DIR}/cmake/EmbedBinary.cmake)
file(WRITE ${WORK_DIR}/short-firmware.bin "0123456789")
embed_binary(${WORK_DIR}/short-firmware.bin 56410 FirmwareData ${WORK_DIR}/firmware_data.cpp)
