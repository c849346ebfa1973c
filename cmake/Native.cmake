# The services' pure parts built for Linux under AddressSanitizer and UBSan: their tests
# and its fuzzers.
set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_subdirectory(tests/native)
add_subdirectory(fuzz)
