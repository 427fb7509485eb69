# Prints the size of a built program: cmake -DFILE=<path> -P print_size.cmake
file(SIZE "${FILE}" bytes)
get_filename_component(name "${FILE}" NAME)
message("${name}: ${bytes} bytes")
