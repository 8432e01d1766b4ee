# What programs built with the platform's own compiler get by default and MinGW does not.
# Every Windows target gets it, the libraries linked into lumora.exe included.
# Stack canaries: lumora.exe brings its own guard and failure (support/win32_stack_guard.cpp);
# anything else GCC takes from libssp, whose archive the build's -static links, so no DLL ships
# beside the exe.
add_compile_options(-fstack-protector-strong)
add_link_options(-fstack-protector-strong)
# Checked string and memory copies where the sizes are known; MinGW's headers ignore the
# request without optimisation, so only the optimised builds ask.
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
# Lets a terminal server run the program without its compatibility shims.
add_link_options($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,EXECUTABLE>:LINKER:--tsaware>)
